#include "skins/SkinPaths.h"

#include "core/modGremlok.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace SkinPaths {

namespace {
QString g_programSkinsFolder;

QString withSeparator(const QString& folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

// Only an actual file created there proves a folder takes new packages (an install owned by
// another user, a read-only medium, a path that is not a folder at all).
bool canWriteInto(const QString& folder)
{
    if (!QDir().mkpath(folder))
        return false;
    QTemporaryFile probe(folder + QStringLiteral(".probe-XXXXXX"));
    return probe.open();
}
} // namespace

// Installed, the program sits in bin/ with its skins in ../share/gremlok/Skins; run from the
// build tree, they are in Skins/ beside it. Both are found from the program's own place, so an
// install prefix that has been moved still works.
QString ProgramSkinsFolder()
{
    if (!g_programSkinsFolder.isEmpty())
        return withSeparator(g_programSkinsFolder);
    const QString program = modGremlok::ProgramFolder();
    const QString installed = QDir::cleanPath(program + QStringLiteral("/../share/gremlok/Skins"));
    if (QFileInfo(installed).isDir())
        return QDir::toNativeSeparators(installed + QLatin1Char('/'));
    return QDir::toNativeSeparators(program + QStringLiteral("/Skins/"));
}

QString UserSkinsFolder()
{
    QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty())
        data = QDir::homePath() + QStringLiteral("/.local/share");
    return QDir::toNativeSeparators(data + QStringLiteral("/Gremlok/Skins/"));
}

QString InstallFolder()
{
    const QString program = ProgramSkinsFolder();
    return canWriteInto(program) ? program : UserSkinsFolder();
}

QStringList SearchFolders()
{
    const QString first = InstallFolder();
    const QString program = ProgramSkinsFolder();
    QStringList folders;
    folders << first << (first == program ? UserSkinsFolder() : program);
    return folders;
}

bool IsPlainName(const QString& name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
        && !name.contains(QLatin1Char('/')) && !name.contains(QDir::separator())
        && !name.contains(QChar(0));
}

bool IsPackageFile(const QString& fileName)
{
    return fileName.size() > Extension.size() + 1
        && fileName.endsWith(QLatin1Char('.') + Extension, Qt::CaseInsensitive);
}

QStringList PackagesOf(const QString& folder, const QString& skinName)
{
    QStringList found;
    if (!IsPlainName(skinName))
        return found;
    const QString exact = skinName + QLatin1Char('.') + Extension;
    const QStringList files = QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString& file : files) {
        if (file.size() != exact.size() || !IsPackageFile(file) || !file.startsWith(skinName))
            continue;
        if (file == exact)
            found.prepend(folder + file);
        else
            found.append(folder + file);
    }
    return found;
}

QString FindPackage(const QString& skinName)
{
    for (const QString& folder : SearchFolders()) {
        const QStringList packages = PackagesOf(folder, skinName);
        if (!packages.isEmpty())
            return packages.first();
    }
    return QString();
}

void SetProgramSkinsFolder(const QString& folder)
{
    g_programSkinsFolder = folder;
}

void ClearSkinFolder(bool removeFolder)
{
    if (modGremlok::SkinFolder.isEmpty())
        return;
    QDir folder(modGremlok::SkinFolder);
    if (!folder.exists())
        return;
    const QStringList files = folder.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& file : files)
        folder.remove(file);
    if (removeFolder)
        QDir().rmdir(QDir::cleanPath(modGremlok::SkinFolder));
}

} // namespace SkinPaths
