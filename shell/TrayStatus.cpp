#include "core/modGremlok.h"

namespace modGremlok {
void UpdateTrayStatus() {}
} // namespace modGremlok
