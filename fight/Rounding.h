#pragma once
#include <cmath>
#include <cstdint>

// Rounds to the nearest whole number, halves to the even neighbour (the rounding the game's
// geometry rules are written for: 4.5 -> 4, 5.5 -> 6).
inline int32_t RoundEven(double v)
{
    return static_cast<int32_t>(std::nearbyint(v));
}
