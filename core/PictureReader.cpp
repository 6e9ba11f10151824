#include "core/PictureReader.h"

#include <QFileInfo>
#include <algorithm>
#include <iterator>

namespace modGremlok {

std::unique_ptr<QImageReader> OpenPicture(const QString& path)
{
    static const char* const builtIn[] = {"png", "bmp", "ppm", "pgm", "pbm", "xpm", "xbm"};
    const QByteArray suffix = QFileInfo(path).suffix().toLower().toLatin1();
    const bool known = std::any_of(std::begin(builtIn), std::end(builtIn),
                                   [&suffix](const char* s) { return suffix == s; });
    if (known) {
        auto reader = std::make_unique<QImageReader>(path, suffix);
        reader->setAutoDetectImageFormat(false);
        if (reader->canRead())
            return reader;
    }
    return std::make_unique<QImageReader>(path);
}

QPixmap LoadPicture(const QString& path)
{
    return QPixmap::fromImage(OpenPicture(path)->read());
}

} // namespace modGremlok
