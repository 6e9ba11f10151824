#pragma once
#include <QString>
class QWidget;

// The program's help book ("Gremlok.hlp"): a contents window and popup topics by context id.
namespace platform::Help {

void ShowContents(QWidget* owner);
// Shows one page of the book (a file name such as "skins.html") in the help window.
void ShowPage(const QString& page, QWidget* owner);
// Shows topic `contextId` as a popup over `over` (centred on it; on the screen when null).
void ShowPopup(int contextId, QWidget* over);
// Closes the help window if one is open.
void Quit();

// The text of a popup topic (empty for an unknown id), and whether the contents window is up.
QString TopicText(int contextId);
bool ContentsShown();
// The page the help window shows (its file name), empty when it is not up.
QString CurrentPage();

} // namespace platform::Help
