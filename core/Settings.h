#pragma once
// The values of "Software\Gremlok\Settings" that the Options dialog and the tip window write:
// each one's name, kind and default, declared once. Start-up still reads them its own way.
#include <QString>
#include <QVariant>
#include <cstdint>

namespace platform { class SettingsStore; }

namespace Settings {

enum class Kind { Boolean, Int16, Int32, String };

struct Value {
    const char* Name;
    Kind kind;
    QVariant Default;
};

inline const Value Sound{"Sound", Kind::Boolean, true};
inline const Value DirectSound{"DirectSound", Kind::Boolean, true};
inline const Value Blood{"Blood", Kind::Boolean, true};
inline const Value Shadow{"Shadow", Kind::Boolean, false};
inline const Value CenterPointer{"CenterPointer", Kind::Boolean, true};
inline const Value Scramble{"Scramble", Kind::Boolean, true};
inline const Value Pointer{"Pointer", Kind::Int16, 1};
inline const Value TimedFightStart{"TimedFightStart", Kind::Int32, 300};
inline const Value TimedFightLength{"TimedFightLength", Kind::Int16, 300};
inline const Value MultiplayerFightStart{"MultiplayerFightStart", Kind::Int32, 300};
inline const Value MultiplayerFightLength{"MultiplayerFightLength", Kind::Int16, 300};
inline const Value AutoAccept{"AutoAccept", Kind::Boolean, false};
inline const Value Nickname{"Nickname", Kind::String, QString()};
inline const Value AutoUnload{"AutoUnload", Kind::Boolean, false};
inline const Value AutoUnloadTime{"AutoUnloadTime", Kind::Int16, 5};
inline const Value QuickHelp{"QuickHelp", Kind::Boolean, true};

// Writes `v` under the value's name as its kind (a number out of a 16-bit value's range is
// brought to its nearest end rather than wrapped). Returns the store's result, 0 on success.
int32_t Write(platform::SettingsStore& store, int32_t key, const Value& value, const QVariant& v);

} // namespace Settings
