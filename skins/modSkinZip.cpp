#include "skins/modSkinZip.h"

#include "core/Logging.h"
#include "platform/ZipLibrary.h"

#include <QDir>
#include <QFile>
#include <QTemporaryFile>
#include <QVector>

#include <cstdio>
#include <memory>

namespace modSkinZip {

namespace {

// Only reached once UnzipSkin has made sure the library is loaded.
const platform::ZipLibrary& lib()
{
    return *platform::ZipLibrary::Get();
}

struct ZipCloser {
    void operator()(zip_t* z) const { lib().discard(z); }
};
struct FileCloser {
    void operator()(zip_file_t* f) const { lib().fclose(f); }
};

struct Entry {
    zip_uint64_t index = 0;
    zip_uint64_t size = 0;
    QString name;   // flat file name inside the target folder
};

// The file name an entry lands under once its folder names are dropped; empty for a folder
// entry. Both separators count, since packages made on Windows may use backslashes.
QString flatName(const char* raw)
{
    const QString full = QString::fromUtf8(raw);
    const int cut = std::max(full.lastIndexOf(QLatin1Char('/')), full.lastIndexOf(QLatin1Char('\\')));
    return full.mid(cut + 1);
}

// Checks the whole directory before anything is written, so a refused package leaves the
// target folder as it was.
bool survey(zip_t* archive, QVector<Entry>& entries)
{
    const zip_int64_t count = lib().get_num_entries(archive, 0);
    if (count < 0 || count > MaxEntries)
        return false;
    zip_uint64_t total = 0;
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        lib().stat_init(&st);
        if (lib().stat_index(archive, zip_uint64_t(i), 0, &st) != 0 || !(st.valid & ZIP_STAT_NAME))
            return false;
        const QString name = flatName(st.name);
        if (name.isEmpty())
            continue;   // a folder entry
        if (name == QLatin1String(".") || name == QLatin1String(".."))
            return false;
        if (!(st.valid & ZIP_STAT_SIZE) || !(st.valid & ZIP_STAT_COMP_METHOD))
            return false;
        if ((st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE)
            return false;   // no password is ever offered
        if (!lib().compression_method_supported(zip_int32_t(st.comp_method), 0))
            return false;
        if (st.size > zip_uint64_t(MaxTotalBytes) || total + st.size > zip_uint64_t(MaxTotalBytes))
            return false;
        total += st.size;
        entries.push_back({zip_uint64_t(i), st.size, name});
    }
    return true;
}

// Writes one entry through a temporary file of the folder, so a broken entry never leaves half
// a file and a link planted under the same name is replaced rather than followed. The working
// folder is scratch space, so nothing is synced to disk.
bool extract(zip_t* archive, const Entry& entry, const QDir& target)
{
    std::unique_ptr<zip_file_t, FileCloser> in(lib().fopen_index(archive, entry.index, 0));
    if (!in)
        return false;
    QTemporaryFile out(target.filePath(QStringLiteral(".unzip-XXXXXX")));
    if (!out.open())
        return false;
    char buffer[64 * 1024];
    zip_uint64_t written = 0;
    for (;;) {
        const zip_int64_t n = lib().fread(in.get(), buffer, sizeof buffer);
        if (n < 0)
            return false;   // bad data or checksum
        if (n == 0)
            break;
        written += zip_uint64_t(n);
        // The directory's size is what was checked; data that runs past it is a lie.
        if (written > entry.size || out.write(buffer, n) != n)
            return false;
    }
    if (written != entry.size || !out.flush())
        return false;
    const QByteArray from = QFile::encodeName(out.fileName());
    const QByteArray to = QFile::encodeName(target.filePath(entry.name));
    if (std::rename(from.constData(), to.constData()) != 0)
        return false;
    out.setAutoRemove(false);
    return true;
}

} // namespace

bool UnzipSkin(const QString& zipPath, const QString& targetFolder)
{
    if (zipPath.isEmpty() || targetFolder.isEmpty())
        return false;
    QString why;
    if (!platform::ZipLibrary::Get(&why)) {
        qCWarning(lcSkins) << "Skin package" << zipPath << "cannot be read:" << why;
        return false;
    }
    int error = 0;
    std::unique_ptr<zip_t, ZipCloser> archive(
        lib().open(QFile::encodeName(zipPath).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &error));
    if (!archive)
        return false;
    QVector<Entry> entries;
    if (!survey(archive.get(), entries))
        return false;
    QDir target(targetFolder);
    if (!target.exists() && !target.mkpath(QStringLiteral(".")))
        return false;
    bool ok = true;
    for (const Entry& entry : entries)
        ok = extract(archive.get(), entry, target) && ok;
    return ok;
}

} // namespace modSkinZip
