#pragma once
#include <QImage>
#include <QRect>

// Something the fight draws on: an image that stands for what the player sees, and a way to
// put a changed rectangle of it on screen at once. The fight window is one; tests use plain
// images.
class DrawTarget {
public:
    virtual ~DrawTarget() = default;
    // The image drawing goes into now (device pixels).
    virtual QImage& Surface() = 0;
    // Shows the rectangle `r` (device pixels) of Surface() without waiting for the event loop.
    virtual void Flush(const QRect& r) = 0;
};
