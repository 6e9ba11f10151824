#pragma once
#include <QImageReader>
#include <QPixmap>
#include <memory>

namespace modGremlok {

// A reader for a picture file that takes the format from the file's name where the toolkit
// reads that format by itself (PNG, BMP, the PPM family, XPM, XBM), and from the contents
// otherwise or when the name is wrong. Reading by contents loads and starts every image
// plugin installed: several milliseconds before the tray icon shows at start-up, and again
// inside the first fight's start.
std::unique_ptr<QImageReader> OpenPicture(const QString& path);

// The whole picture, or a null pixmap.
QPixmap LoadPicture(const QString& path);

} // namespace modGremlok
