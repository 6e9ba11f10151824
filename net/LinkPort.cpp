#include "net/LinkPort.h"

#include "core/modGremlok.h"
#include "platform/SettingsStore.h"

int LinkPort()
{
    using namespace modGremlok;
    platform::SettingsStore& reg = *SettingsStore;
    const int32_t key = reg.OpenKey(platform::HKEY_CURRENT_USER, SettingsKey, 0);
    int32_t port = 2320;
    reg.ReadInt32(key, QStringLiteral("Port"), 2320, port);
    reg.CloseKey(key);
    return port;
}
