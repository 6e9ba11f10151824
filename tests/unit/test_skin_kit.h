#pragma once
// Helpers for the skin tests: packages and sprite sheets made on the spot.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QList>
#include <QPair>

#include <zip.h>

namespace skinkit {

using Entries = QList<QPair<QString, QByteArray>>;

// A zip holding `entries` under exactly the names given (hostile ones too). With a password
// every entry is AES encrypted; false when that is not available.
inline bool writeZip(const QString& path, const Entries& entries, const char* password = nullptr)
{
    QFile::remove(path);
    QDir().mkpath(QFileInfo(path).absolutePath());
    int error = 0;
    zip_t* z = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!z)
        return false;
    for (const auto& [name, data] : entries) {
        // libzip reads the buffers at close; the caller's entries outlive it.
        zip_source_t* src = zip_source_buffer(z, data.constData(), zip_uint64_t(data.size()), 0);
        const zip_int64_t index = zip_file_add(z, name.toUtf8().constData(), src, ZIP_FL_ENC_UTF_8);
        if (index < 0 || (password && zip_file_set_encryption(z, zip_uint64_t(index), ZIP_EM_AES_256, password))) {
            zip_discard(z);   // a test that gets here fails; the source is not worth freeing
            return false;
        }
    }
    return zip_close(z) == 0;
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

// Flips a byte in the data of the package's n-th entry (from 0), just past its local header.
inline bool damageEntry(const QString& path, int n)
{
    QByteArray zip = readFile(path);
    int at = -1;
    for (int i = 0; i <= n; ++i)
        at = zip.indexOf(QByteArray("PK\x03\x04", 4), at + 1);
    if (at < 0)
        return false;
    const int data = at + 30 + (uchar(zip[at + 26]) | uchar(zip[at + 27]) << 8)
        + (uchar(zip[at + 28]) | uchar(zip[at + 29]) << 8);
    zip[data + 3] = char(zip[data + 3] ^ 0x33);
    return writeFile(path, zip);
}

// Every file below `root`, hidden ones too, relative to it and sorted.
inline QStringList filesBelow(const QString& root)
{
    QStringList out;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        out << QDir(root).relativeFilePath(it.next());
    out.sort();
    return out;
}

// The folder the rig gives each test, or a fallback of our own.
inline QString testRoot()
{
    return qEnvironmentVariable("GREMLOK_TEST_DIR", QDir::tempPath() + QStringLiteral("/gremlok-skin-tests"));
}

inline QString baseSkinPackage()
{
    return qEnvironmentVariable("GREMLOK_SOURCE_DIR") + QStringLiteral("/resources/skins/Base Skin.ssz");
}

} // namespace skinkit
