#include "platform/Raster.h"

namespace platform::Raster {

namespace {
// Clips a w x h transfer from src(sx, sy) to dst(dx, dy); false when nothing is left.
bool clip(const QImage& dst, int& dx, int& dy, const QImage& src, int& sx, int& sy, int& w, int& h)
{
    if (sx < 0) { dx -= sx; w += sx; sx = 0; }
    if (sy < 0) { dy -= sy; h += sy; sy = 0; }
    if (dx < 0) { sx -= dx; w += dx; dx = 0; }
    if (dy < 0) { sy -= dy; h += dy; dy = 0; }
    w = std::min({w, src.width() - sx, dst.width() - dx});
    h = std::min({h, src.height() - sy, dst.height() - dy});
    return w > 0 && h > 0;
}

QImage& ensureRgb32(QImage& img)
{
    if (img.format() != QImage::Format_RGB32 && img.format() != QImage::Format_ARGB32)
        img.convertTo(QImage::Format_RGB32);
    return img;
}
} // namespace

QImage NewSurface(int width, int height, QRgb fill)
{
    QImage img(std::max(width, 0), std::max(height, 0), QImage::Format_RGB32);
    img.fill(fill);
    return img;
}

void Blit(QImage& dst, int dx, int dy, const QImage& srcIn, int sx, int sy, int w, int h, Op op)
{
    if (dst.isNull() || srcIn.isNull())
        return;
    ensureRgb32(dst);
    const QImage src = (srcIn.format() == QImage::Format_RGB32 || srcIn.format() == QImage::Format_ARGB32)
        ? srcIn : srcIn.convertToFormat(QImage::Format_RGB32);
    if (!clip(dst, dx, dy, src, sx, sy, w, h))
        return;
    for (int j = 0; j < h; ++j) {
        const QRgb* s = reinterpret_cast<const QRgb*>(src.constScanLine(sy + j)) + sx;
        QRgb* d = reinterpret_cast<QRgb*>(dst.scanLine(dy + j)) + dx;
        switch (op) {
        case Op::Copy:
            for (int i = 0; i < w; ++i) d[i] = s[i] | 0xFF000000u;
            break;
        case Op::And:
            for (int i = 0; i < w; ++i) d[i] = (d[i] & s[i]) | 0xFF000000u;
            break;
        case Op::Or:
            for (int i = 0; i < w; ++i) d[i] = (d[i] | s[i]) | 0xFF000000u;
            break;
        case Op::AndNot:
            for (int i = 0; i < w; ++i) d[i] = (d[i] & ~s[i]) | 0xFF000000u;
            break;
        }
    }
}

QImage ColorToMask(const QImage& srcIn, QRgb maskColor)
{
    const QImage src = srcIn.convertToFormat(QImage::Format_RGB32);
    QImage mask(src.size(), QImage::Format_RGB32);
    const QRgb key = maskColor & 0x00FFFFFFu;
    for (int y = 0; y < src.height(); ++y) {
        const QRgb* s = reinterpret_cast<const QRgb*>(src.constScanLine(y));
        QRgb* m = reinterpret_cast<QRgb*>(mask.scanLine(y));
        for (int x = 0; x < src.width(); ++x)
            m[x] = (s[x] & 0x00FFFFFFu) == key ? 0xFFFFFFFFu : 0xFF000000u;
    }
    return mask;
}

void AlphaBlend(QImage& dst, int dx, int dy, const QImage& srcIn, int sx, int sy, int w, int h,
                int alpha)
{
    if (dst.isNull() || srcIn.isNull())
        return;
    ensureRgb32(dst);
    const QImage src = srcIn.convertToFormat(QImage::Format_RGB32);
    if (!clip(dst, dx, dy, src, sx, sy, w, h))
        return;
    const int a = std::clamp(alpha, 0, 255);
    const int na = 255 - a;
    for (int j = 0; j < h; ++j) {
        const QRgb* s = reinterpret_cast<const QRgb*>(src.constScanLine(sy + j)) + sx;
        QRgb* d = reinterpret_cast<QRgb*>(dst.scanLine(dy + j)) + dx;
        for (int i = 0; i < w; ++i) {
            const int r = (qRed(s[i]) * a + qRed(d[i]) * na + 127) / 255;
            const int g = (qGreen(s[i]) * a + qGreen(d[i]) * na + 127) / 255;
            const int b = (qBlue(s[i]) * a + qBlue(d[i]) * na + 127) / 255;
            d[i] = qRgb(r, g, b);
        }
    }
}

void Fill(QImage& dst, const QRect& r, QRgb color, Op op)
{
    if (dst.isNull())
        return;
    ensureRgb32(dst);
    const QRect c = r.intersected(dst.rect());
    for (int y = c.top(); y <= c.bottom(); ++y) {
        QRgb* d = reinterpret_cast<QRgb*>(dst.scanLine(y));
        for (int x = c.left(); x <= c.right(); ++x)
            d[x] = (op == Op::And ? (d[x] & color) : op == Op::Or ? (d[x] | color) : color) | 0xFF000000u;
    }
}

} // namespace platform::Raster
