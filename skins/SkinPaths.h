#pragma once
// Where skin packages live. The Skins folder beside the program ships the base skin; when the
// program is installed where its user cannot write, packages the user installs go to a
// per-user Skins folder instead ($XDG_DATA_HOME/Gremlok/Skins/), and listing and loading look
// in both, the folder that takes new packages first.
#include <QString>
#include <QStringList>

namespace SkinPaths {

inline const QString Extension = QStringLiteral("ssz");

// The program's own Skins folder, ending in a separator: ../share/gremlok/Skins from the
// program's folder when that exists (an install), else Skins/ beside the program.
QString ProgramSkinsFolder();
// The per-user Skins folder, ending in a separator (it may not exist yet).
QString UserSkinsFolder();
// The folder new packages are installed into: the program's when we can write there.
QString InstallFolder();
// The folders searched for packages, the install folder first.
QStringList SearchFolders();

// A name that can only mean a file right inside a folder: no separators, not "." or "..".
bool IsPlainName(const QString& name);
// A package's file name: a name, then the extension in any letter case (packages made on
// Windows often come as "Night.SSZ").
bool IsPackageFile(const QString& fileName);
// The packages of a skin in one folder, the one spelt ".ssz" first; none when the name is not
// a plain name. The skin's name itself is compared exactly.
QStringList PackagesOf(const QString& folder, const QString& skinName);
// The package of a skin, from the first folder that has it; empty when none has or the name
// is not a plain name.
QString FindPackage(const QString& skinName);

// Removes the files of the working folder `SkinFolder` (not sub-folders); with `removeFolder`
// the folder itself goes too. A file that cannot be removed stays, and so does the folder.
void ClearSkinFolder(bool removeFolder = false);

// Tests put the program's Skins folder somewhere of their own (empty restores the default).
void SetProgramSkinsFolder(const QString& folder);

} // namespace SkinPaths
