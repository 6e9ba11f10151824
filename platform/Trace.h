#pragma once
#include <QString>

namespace platform {

// Appends "key<TAB>value" to the file named by GREMLOK_TRACE, so that tests driving the real
// program from outside can see what it did. Does nothing when the variable is not set.
void Trace(const QString& key, const QString& value);
inline void Trace(const char* key, const QString& value) { Trace(QString::fromLatin1(key), value); }
inline void Trace(const char* key, const char* value) { Trace(QString::fromLatin1(key), QString::fromUtf8(value)); }

} // namespace platform
