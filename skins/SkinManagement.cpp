#include "skins/SkinManagement.h"

#include "core/modGremlok.h"
#include "fight/Enemy.h"
#include "skins/SkinPaths.h"
#include "sound/SoundEffects.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <filesystem>
#include <system_error>

namespace SkinManagement {

std::function<void()> CloseOptionsDialog;

namespace {

// DirectSound preloads the wave files, so a new skin needs its buffers made again.
void reloadSoundBuffers()
{
    SoundEffects* sound = modGremlok::gSound.existing();
    if (sound && sound->DirectSound()) {
        sound->setDirectSound(false);
        sound->setDirectSound(true);
    }
}

// Name part of a path: after the last separator (either kind Qt hands us).
int lastSeparator(const QString& path)
{
    return std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QDir::separator()));
}

InstallResult failure(const std::error_code& ec)
{
    return {InstallOutcome::Failed, ec.value(), QString::fromLocal8Bit(ec.message().c_str())};
}

// Copies through a temporary file beside the target, so a failed copy never leaves a
// truncated package under the skin's name.
std::error_code copyPackage(const QString& from, const QString& to)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path target(QFile::encodeName(to).constData());
    fs::path partial = target;
    partial += ".part";
    fs::copy_file(fs::path(QFile::encodeName(from).constData()), partial,
                  fs::copy_options::overwrite_existing, ec);
    if (!ec)
        fs::rename(partial, target, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(partial, ignored);
    }
    return ec;
}

} // namespace

InstallResult InstallSkinPackage(const QString& arg)
{
    const QFileInfo source(arg);
    if (arg.isEmpty() || !source.isFile())
        return {InstallOutcome::NotAPackage, 0, QString()};

    const int pos = lastSeparator(arg);
    QString fileName = arg.mid(pos + 1);
    // What a browser makes of a name when it saves a download.
    fileName.replace(QStringLiteral("%20"), QStringLiteral(" "));
    fileName.remove(QStringLiteral("[1]"));
    if (!SkinPaths::IsPlainName(fileName)) {
        return {InstallOutcome::Failed, int(std::errc::invalid_argument),
                QStringLiteral("Not a skin package name")};
    }

    const QString folder = SkinPaths::InstallFolder();
    if (!QDir().mkpath(folder))
        return failure(std::make_error_code(std::errc::permission_denied));
    const QString target = folder + fileName;
    // A package already in place is not copied. The same file is what counts: comparing
    // folder names alone would, on a case-sensitive system, skip a copy that is needed, and
    // copying a file onto itself would destroy it.
    const bool samePlace = QFileInfo(target).exists()
        && QFileInfo(target).canonicalFilePath() == source.canonicalFilePath();
    if (!samePlace) {
        if (const std::error_code ec = copyPackage(arg, target))
            return failure(ec);
    }

    // The extension is taken to be three letters whatever it is, as the list does.
    modGremlok::Skin = fileName.left(std::max(0, int(fileName.size()) - 4));
    // One package per skin and folder: an older one whose extension differs only in letter
    // case would be found before the new one (where names ignore case, the copy replaces it).
    if (SkinPaths::IsPackageFile(fileName)) {
        for (const QString& other : SkinPaths::PackagesOf(folder, modGremlok::Skin))
            if (other != target)
                QFile::remove(other);
    }
    modGremlok::LoadSkin();   // loads the new sheet into the enemy that exists
    reloadSoundBuffers();
    if (CloseOptionsDialog)
        CloseOptionsDialog();
    return {InstallOutcome::Installed, 0, QString()};
}

QString InstallErrorText(const QString& arg, const InstallResult& result)
{
    return QStringLiteral("Error installing skin \"%1\".\r\n%2: %3")
        .arg(arg).arg(result.Number).arg(result.Description);
}

SkinList ListSkins()
{
    SkinList list;
    list.Entries << QLatin1Char('<') + modGremlok::BaseSkinName + QLatin1Char('>');
    QSet<QString> seen;
    for (const QString& folder : SkinPaths::SearchFolders()) {
        const QStringList files = QDir(folder).entryList(QDir::Files, QDir::Name);
        for (const QString& file : files) {
            if (!SkinPaths::IsPackageFile(file))
                continue;
            const QString name = file.left(file.size() - 4);
            if (name == modGremlok::BaseSkinName || seen.contains(name))
                continue;
            seen.insert(name);
            list.Entries << name;
            if (name == modGremlok::Skin)
                list.Selected = list.Entries.size() - 1;
        }
    }
    return list;
}

QString DeleteQuestion(const QString& skinName)
{
    return QStringLiteral("Are you sure you want to delete \"%1\" skin?").arg(skinName);
}

bool DeleteSkinPackage(const QString& skinName)
{
    if (skinName == modGremlok::BaseSkinName || !SkinPaths::IsPlainName(skinName))
        return false;
    // Every copy goes, or the list would show the skin again from the other folder.
    bool removed = false;
    for (const QString& folder : SkinPaths::SearchFolders())
        for (const QString& package : SkinPaths::PackagesOf(folder, skinName))
            removed = QFile::remove(package) || removed;
    return removed;
}

bool ApplySkinChoice(int index, const QString& text)
{
    if (index < 0)
        return false;   // nothing selected
    const QString chosen = index == 0 ? modGremlok::BaseSkinName : text;
    if (chosen == modGremlok::Skin)
        return false;
    if (qApp)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    modGremlok::Skin = chosen;
    modGremlok::gEnemy.reset();
    modGremlok::LoadSkin();
    reloadSoundBuffers();
    if (qApp)
        QApplication::restoreOverrideCursor();
    return true;
}

} // namespace SkinManagement
