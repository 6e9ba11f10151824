#include "core/Settings.h"

#include "platform/SettingsStore.h"

#include <algorithm>

namespace Settings {

int32_t Write(platform::SettingsStore& store, int32_t key, const Value& value, const QVariant& v)
{
    const QString name = QString::fromLatin1(value.Name);
    switch (value.kind) {
    case Kind::Boolean:
        return store.SetValue(key, name, v.toBool());
    case Kind::Int16:
        return store.SetValue(key, name, int(std::clamp<qlonglong>(v.toLongLong(), INT16_MIN, INT16_MAX)));
    case Kind::Int32:
        return store.SetValue(key, name, int(std::clamp<qlonglong>(v.toLongLong(), INT32_MIN, INT32_MAX)));
    case Kind::String:
        return store.SetValue(key, name, v.toString());
    }
    return -1;
}

} // namespace Settings
