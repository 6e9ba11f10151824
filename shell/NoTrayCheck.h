#pragma once
// A desktop without a notification area hides the icon, and with it every menu. When no tray
// has shown up a while after start, the player is told once how to reach the program: by a
// desktop notification with "Fight Now!" and "Options..." where a notification service runs,
// else by a small window with those buttons. A tray seen at any time during the wait (a panel
// that starts late) means no notice at all.
#include <QString>

namespace NoTrayCheck {

// Starts the wait. GREMLOK_NOTRAY_WAIT_MS sets it in milliseconds (10000 when unset), for tests.
void Start();

// What a choice in the notice does: "fight" or "options", as the tray menu's items would.
void NoticeAction(const QString& key);

} // namespace NoTrayCheck
