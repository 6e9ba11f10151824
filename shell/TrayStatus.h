#pragma once

namespace TrayStatus {

// The picture of IconList (1 to 7) that UpdateTrayStatus put on the tray icon last; 0 before.
int CurrentIcon();

} // namespace TrayStatus
