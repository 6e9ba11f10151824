#pragma once
// Fight pictures (the enemy's frames, the shot marks, the fight pointer) drawn at a screen's
// scale factor, so that they keep their physical size on a high-density screen.
#include <QImage>
#include <QPoint>
#include <QSize>

namespace ScaledPicture {

// n pixels at `factor`, rounded, at least 1.
int Scaled(int n, double factor);

// A masked picture (mask white where transparent, black where drawn; image black outside the
// mask) brought to `size`. Whole factors repeat every pixel, so pixel art stays crisp and the
// shape is exact; other factors filter smoothly and keep the pixels at least half covered.
void ScaleMasked(const QImage& image, const QImage& mask, const QSize& size, QImage& outImage,
                 QImage& outMask);

// An ARGB picture (a pointer) at `factor`, filtered the same way.
QImage ScaleArgb(const QImage& picture, double factor);

} // namespace ScaledPicture
