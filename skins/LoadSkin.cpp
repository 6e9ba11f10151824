#include "core/modGremlok.h"

namespace modGremlok {
void LoadSkin() {}
} // namespace modGremlok
