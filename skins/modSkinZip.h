#pragma once
// Unpacking of skin packages (zip archives with the extension "ssz").
#include <QString>
#include <cstdint>

namespace modSkinZip {

// A package is untrusted input: one that breaks any of these is refused as a whole.
inline constexpr int64_t MaxEntries = 300;
inline constexpr int64_t MaxTotalBytes = 64 * 1024 * 1024;

// Extracts every file of the archive straight into `targetFolder` (folder names inside the
// archive are dropped, files of the same name are replaced, the folder is created when
// missing). Nothing is shown. Returns false, with nothing written, for a file that is not a
// zip archive, an encrypted or unsupported entry, too many entries or too many bytes, or a
// name that cannot be a file of the folder; returns false as well when writing fails.
bool UnzipSkin(const QString& zipPath, const QString& targetFolder);

} // namespace modSkinZip
