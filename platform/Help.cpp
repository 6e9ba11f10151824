#include "platform/Help.h"

namespace platform::Help {
void ShowContents(QWidget*) {}
void ShowPopup(int, QWidget*) {}
void Quit() {}
} // namespace platform::Help
