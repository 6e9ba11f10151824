#pragma once
// Installing, listing, deleting and choosing skin packages. The Options dialog and the
// command line call these; they show nothing themselves.
#include <QString>
#include <QStringList>
#include <functional>

namespace SkinManagement {

enum class InstallOutcome {
    Installed,      // copied (unless already in a Skins folder), made current and loaded
    NotAPackage,    // no such file: the caller treats the argument as unrecognised
    Failed,         // a step failed; Number and Description say why
};

struct InstallResult {
    InstallOutcome Outcome = InstallOutcome::Failed;
    int Number = 0;
    QString Description;
};

// Installs the package named by a command-line argument (already trimmed and stripped of
// quotes): "%20" in its file name becomes a blank and "[1]" goes, it is copied into the
// install folder, made the current skin and loaded, and the sound buffers are reloaded.
InstallResult InstallSkinPackage(const QString& arg);

// The message the command line shows when installing fails.
QString InstallErrorText(const QString& arg, const InstallResult& result);

// Runs after a package was installed; the Options dialog sets it to close itself, since its
// list is out of date. Nothing is set until that dialog exists.
extern std::function<void()> CloseOptionsDialog;

// The entries of the skins list: "<Base Skin>" first, then every other installed skin; and
// the index of the current skin (0 when it is the base skin or not installed).
struct SkinList {
    QStringList Entries;
    int Selected = 0;
};
SkinList ListSkins();

// The question asked before a package is deleted.
QString DeleteQuestion(const QString& skinName);
// Deletes the package of `skinName` from every Skins folder that has it; the base skin is
// never deleted. Returns false when no package was removed. The skin in use is unaffected.
bool DeleteSkinPackage(const QString& skinName);

// The Options dialog was confirmed with list entry `index` (text `text`) selected: when that
// is another skin than the current one, it becomes current, the enemy is made afresh, the
// skin is loaded and the sound buffers are reloaded. Returns whether the skin changed.
bool ApplySkinChoice(int index, const QString& text);

} // namespace SkinManagement
