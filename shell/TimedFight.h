#pragma once
// The one pending automatic fight: armed with a random delay inside a window of seconds.
#include <cstdint>

namespace TimedFight {

// The delay in milliseconds for the window [start, start + length] seconds given r in [0, 1).
// A length of 0 gives start x 1000 - 3 to start x 1000. Never negative, never beyond what a
// timer can hold.
int32_t Delay(int32_t start, int16_t length, double r);

// Milliseconds until the pending fight, -1 when none is pending.
int RemainingTime();

} // namespace TimedFight
