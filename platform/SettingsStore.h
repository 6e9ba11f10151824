#pragma once
#include <QHash>
#include <QString>
#include <QVariant>
#include <cstdint>
#include <memory>

class QSettings;

namespace platform {

constexpr int32_t HKEY_CURRENT_USER = int32_t(0x80000001u);

// The program's settings store: keys named by their registry path, kept in a per-user INI file
// ($XDG_CONFIG_HOME/Gremlok/Gremlok.ini). "Software\Gremlok\<Key>" becomes group [<Key>]; the
// sound-scheme keys "AppEvents\Schemes\Apps\Gremlok\<Event>\.Current" become values of
// [SoundEvents] named after the event. Every value is stored as readable text and is flushed
// to disk as soon as it is set.
class SettingsStore {
public:
    SettingsStore();
    ~SettingsStore();

    // Opens (and if need be creates) a key; returns a handle, 0 on failure.
    int32_t OpenKey(int32_t root, const QString& subKey, int32_t reserved = 0);
    // An absent value yields `def` exactly; a present one its stored text.
    // An unknown handle yields an invalid QVariant.
    QVariant GetValue(int32_t key, const QString& name, const QVariant& def = QVariant());
    // Stores a Boolean, integer, float or string value; returns 0 on success.
    int32_t SetValue(int32_t key, const QString& name, const QVariant& value);
    void CloseKey(int32_t key);

    // Typed reads. Each returns true when the value was read and converted to the kind; on a
    // failed read `out` keeps its previous value. An absent value converts its default.
    bool ReadBool(int32_t key, const QString& name, bool def, bool& out);
    bool ReadByte(int32_t key, const QString& name, int def, uint8_t& out);
    bool ReadInt16(int32_t key, const QString& name, int def, int16_t& out);
    bool ReadInt32(int32_t key, const QString& name, int32_t def, int32_t& out);
    bool ReadFloat(int32_t key, const QString& name, float def, float& out);
    bool ReadString(int32_t key, const QString& name, const QString& def, QString& out);

    QString fileName() const;

    // Conversions used by the typed reads; exposed for the tests.
    static bool toBool(const QVariant& v, bool& ok);
    static qint64 toInteger(const QVariant& v, bool& ok);
    static float toFloat(const QVariant& v, bool& ok);
    static QString floatText(float f);

private:
    struct OpenedKey {
        QString group;       // INI group
        QString fixedName;   // value name used for the key's unnamed value (sound events)
    };
    const OpenedKey* find(int32_t key) const;
    void recoverIfCorrupt();
    QString valueName(const OpenedKey& k, const QString& name) const;

    std::unique_ptr<QSettings> m_settings;
    QHash<int32_t, OpenedKey> m_keys;
    int32_t m_nextHandle = 1;
};

} // namespace platform
