#include "core/modGremlok.h"

namespace modGremlok {
void PlaceEnemy() {}
} // namespace modGremlok
