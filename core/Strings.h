#pragma once
#include <QString>

// The program's string table.
namespace Strings {
inline const QString Anonymous = QStringLiteral("Anonymous");      // 26
inline const QString PointerFile = QStringLiteral("pointer.cur");  // 101
} // namespace Strings
