#include "core/modGremlok.h"

namespace modGremlok {
void HandOverCommandLine() {}
void ProcessCommandLine(QString&) {}
} // namespace modGremlok
