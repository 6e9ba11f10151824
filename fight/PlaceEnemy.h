#pragma once
#include <QPoint>
#include <functional>

// Where the enemy goes: a random direction from the pointer, at a distance that grows with the
// difficulty, the whole sprite on the screen. `random` yields uniform numbers in [0, 1).
// When no direction leaves room for the minimum distance (a huge sprite on a small screen),
// the search gives up after a bounded number of directions and uses the one with the most
// room, as far along it as the screen allows.
QPoint PlaceEnemyFrom(int px, int py, int screenWidth, int screenHeight, int spriteWidth,
                      int spriteHeight, int difficulty, const std::function<double()>& random);

// Directions tried before giving up on the minimum distance.
constexpr int PlaceEnemyMaxTries = 2000;
