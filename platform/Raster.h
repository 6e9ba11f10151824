#pragma once
#include <QImage>
#include <QRect>
#include <QRgb>

// Raster operations on 32-bit RGB images (QImage::Format_RGB32), the drawing surfaces of the
// fight. Every operation clips to both images, so out-of-range rectangles are safe.
// Masks are ordinary RGB32 images, white where transparent and black where drawn.
namespace platform::Raster {

enum class Op { Copy, And, Or, AndNot };

// An RGB32 surface of the given size, filled with `fill`.
QImage NewSurface(int width, int height, QRgb fill = 0xFF000000u);

// dst(dx+i, dy+j) = op(dst, src(sx+i, sy+j)) over a w x h rectangle.
void Blit(QImage& dst, int dx, int dy, const QImage& src, int sx, int sy, int w, int h,
          Op op = Op::Copy);
inline void Copy(QImage& dst, int dx, int dy, const QImage& src, int sx, int sy, int w, int h)
{
    Blit(dst, dx, dy, src, sx, sy, w, h, Op::Copy);
}

// White where `src` is exactly `maskColor` (RGB part), black elsewhere.
QImage ColorToMask(const QImage& src, QRgb maskColor);

// Constant-alpha source-over blend: dst = (src * alpha + dst * (255 - alpha)) / 255.
void AlphaBlend(QImage& dst, int dx, int dy, const QImage& src, int sx, int sy, int w, int h,
                int alpha);

// Fills a rectangle (clipped) with a colour; with Op::And the colour is ANDed in instead.
void Fill(QImage& dst, const QRect& r, QRgb color, Op op = Op::Copy);

} // namespace platform::Raster
