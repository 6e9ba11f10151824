#pragma once
// Helpers for the skin tests: packages and sprite sheets made on the spot.
#include <QBuffer>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QList>
#include <QPair>
#include <QString>

#include <zip.h>

namespace skinkit {

using Entries = QList<QPair<QString, QByteArray>>;

// Writes a zip archive holding `entries` (names exactly as given, so hostile names too).
// With a password every entry is AES encrypted; returns false when that is not available.
inline bool writeZip(const QString& path, const Entries& entries, const char* password = nullptr)
{
    QFile::remove(path);
    int error = 0;
    zip_t* z = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!z)
        return false;
    // libzip reads the buffers when the archive is closed, so keep them alive until then.
    QList<QByteArray> keep;
    for (const auto& [name, data] : entries) {
        keep.push_back(data);
        zip_source_t* src = zip_source_buffer(z, keep.back().constData(), zip_uint64_t(keep.back().size()), 0);
        const zip_int64_t index = src ? zip_file_add(z, name.toUtf8().constData(), src, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0) {
            zip_source_free(src);
            zip_discard(z);
            return false;
        }
        if (password && zip_file_set_encryption(z, zip_uint64_t(index), ZIP_EM_AES_256, password) != 0) {
            zip_discard(z);
            return false;
        }
    }
    return zip_close(z) == 0;
}

inline QByteArray png(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

inline QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool writeFile(const QString& path, const QByteArray& data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

// Every file below `root`, as paths relative to it (to see what an unpacking touched).
inline QStringList filesBelow(const QString& root)
{
    QStringList out;
    QDir dir(root);
    const auto infos = dir.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QFileInfo& fi : infos) {
        if (fi.isDir()) {
            for (const QString& sub : filesBelow(fi.filePath()))
                out << fi.fileName() + QLatin1Char('/') + sub;
        } else {
            out << fi.fileName();
        }
    }
    out.sort();
    return out;
}

// The folder the rig gives each test, or a fallback of our own.
inline QString testRoot()
{
    const QString dir = qEnvironmentVariable("GREMLOK_TEST_DIR");
    return dir.isEmpty() ? QDir::tempPath() + QStringLiteral("/gremlok-skin-tests") : dir;
}

inline QString baseSkinPackage()
{
    return qEnvironmentVariable("GREMLOK_SOURCE_DIR") + QStringLiteral("/resources/skins/Base Skin.ssz");
}

} // namespace skinkit
