#pragma once
// Opens the Statistics window, whose code (with Qt Charts) is loaded on the first opening.
class QWidget;

namespace modGremlok {

// Shows "Gremlok Statistics" modally; when its module cannot be loaded, a message box says so
// and why, and QDialog::Rejected is returned.
int ShowStatistics(QWidget* owner = nullptr);

} // namespace modGremlok
