#include "fight/ScaledPicture.h"

#include <algorithm>
#include <cmath>

namespace ScaledPicture {

namespace {

bool wholeMultiple(const QSize& from, const QSize& to)
{
    return from.width() > 0 && from.height() > 0 && to.width() % from.width() == 0
        && to.height() % from.height() == 0 && to.width() / from.width() == to.height() / from.height();
}

// Every pixel repeated k x k times: exact, unlike a sampled transformation.
QImage repeatPixels(const QImage& src, int k)
{
    QImage out(src.width() * k, src.height() * k, src.format());
    for (int y = 0; y < out.height(); ++y) {
        const QRgb* from = reinterpret_cast<const QRgb*>(src.constScanLine(y / k));
        QRgb* to = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            to[x] = from[x / k];
    }
    return out;
}

} // namespace

int Scaled(int n, double factor)
{
    return std::max(1, int(std::lround(n * factor)));
}

void ScaleMasked(const QImage& image, const QImage& mask, const QSize& size, QImage& outImage,
                 QImage& outMask)
{
    const QImage img = image.convertToFormat(QImage::Format_RGB32);
    const QImage msk = mask.convertToFormat(QImage::Format_RGB32);
    if (size == img.size()) {
        outImage = img;
        outMask = msk;
        return;
    }
    if (wholeMultiple(img.size(), size)) {
        const int k = size.width() / img.width();
        outImage = repeatPixels(img, k);
        outMask = repeatPixels(msk, k);
        return;
    }
    // Transparent pixels carry no colour into the filter: the sprite's edge does not take on
    // the mask colour (or black).
    QImage argb(img.size(), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            argb.setPixel(x, y, (msk.pixel(x, y) & 0x00FFFFFFu) == 0 ? (img.pixel(x, y) | 0xFF000000u) : 0u);
    const QImage scaled = argb.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                              .convertToFormat(QImage::Format_ARGB32);
    outImage = QImage(size, QImage::Format_RGB32);
    outMask = QImage(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            const QRgb c = scaled.pixel(x, y);
            const bool drawn = qAlpha(c) >= 128;
            outImage.setPixel(x, y, drawn ? (c | 0xFF000000u) : 0xFF000000u);
            outMask.setPixel(x, y, drawn ? 0xFF000000u : 0xFFFFFFFFu);
        }
}

QImage ScaleArgb(const QImage& picture, double factor)
{
    if (picture.isNull() || factor == 1.0)
        return picture;
    const QImage src = picture.convertToFormat(QImage::Format_ARGB32);
    const QSize size(Scaled(src.width(), factor), Scaled(src.height(), factor));
    if (wholeMultiple(src.size(), size))
        return repeatPixels(src, size.width() / src.width());
    return src.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace ScaledPicture
