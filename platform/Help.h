#pragma once
class QWidget;

// The program's help book ("Gremlok.hlp"): a contents window and popup topics by context id.
namespace platform::Help {

void ShowContents(QWidget* owner);
// Shows topic `contextId` as a popup over `over` (centred on it when no position is given).
void ShowPopup(int contextId, QWidget* over);
void Quit();

} // namespace platform::Help
