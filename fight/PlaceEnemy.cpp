#include "fight/PlaceEnemy.h"

#include "core/modGremlok.h"
#include "fight/Enemy.h"
#include "fight/Rounding.h"
#include "fight/ScreenPointer.h"

#include <QRandomGenerator>
#include <algorithm>
#include <climits>
#include <cmath>

namespace {
constexpr double kPi = 3.14159265358979;

// |round(a / b)| as a pixel distance; false when the division gives nothing usable.
bool roomAlong(double a, double b, long long& out)
{
    if (b == 0.0)
        return false;
    const double q = std::nearbyint(a / b);
    if (!std::isfinite(q) || std::fabs(q) > double(INT_MAX))
        return false;
    out = std::llabs(static_cast<long long>(q));
    return true;
}
} // namespace

QPoint PlaceEnemyFrom(int px, int py, int screenWidth, int screenHeight, int spriteWidth,
                      int spriteHeight, int difficulty, const std::function<double()>& random)
{
    const int maxX = std::max(0, screenWidth - spriteWidth);
    const int maxY = std::max(0, screenHeight - spriteHeight);
    // A pointer on another monitor counts as the nearest point of this screen.
    px = std::clamp(px, 0, std::max(0, screenWidth - 1));
    py = std::clamp(py, 0, std::max(0, screenHeight - 1));

    int d = difficulty;
    if (d < 1 || d > 3)
        d = int(3 * random() + 1);
    const long long maxDist = RoundEven(double(screenWidth + screenHeight) / 6 * d);
    const long long minDist = RoundEven(double(screenWidth + screenHeight) / 10 * d);

    long long room = 0;
    double angle = 0.0;
    long long bestRoom = -1;
    double bestAngle = 0.0;
    for (int tries = 0; tries < PlaceEnemyMaxTries; ++tries) {
        const double a = 2 * kPi * random();
        long long dx = a <= kPi ? maxX - px : px;
        long long dy = (a >= kPi / 2 && a <= 3 * kPi / 2) ? maxY - py : py;
        dx = std::clamp<long long>(dx, 0, maxX);
        dy = std::clamp<long long>(dy, 0, maxY);
        long long rx = 0, ry = 0;
        if (!roomAlong(double(dx), std::cos(a), rx) || !roomAlong(double(dy), std::sin(a), ry))
            continue;
        const long long r = std::min(rx, ry);
        if (r > bestRoom) {
            bestRoom = r;
            bestAngle = a;
        }
        if (r >= minDist) {
            room = r;
            angle = a;
            break;
        }
    }

    long long dist;
    if (room >= minDist && room > 0) {
        const long long upper = std::min(maxDist, room);
        dist = static_cast<long long>((upper - minDist + 1) * random() + minDist);
    } else {
        // Nothing reaches the minimum distance: as far as the roomiest direction allows.
        angle = bestAngle;
        dist = std::max<long long>(bestRoom, 0);
    }

    const double ox = std::fabs(dist * std::cos(angle));
    const double oy = std::fabs(dist * std::sin(angle));
    long long x = angle <= kPi ? RoundEven(px + ox) : RoundEven(px - ox);
    long long y = (angle >= kPi / 2 && angle <= 3 * kPi / 2) ? RoundEven(py + oy) : RoundEven(py - oy);
    x = std::clamp<long long>(x, 0, maxX);
    y = std::clamp<long long>(y, 0, maxY);
    return QPoint(int(x), int(y));
}

namespace modGremlok {

void PlaceEnemy()
{
    const QPoint p = ScreenPointer::Pos();
    Enemy& enemy = *gEnemy;
    const QPoint at = PlaceEnemyFrom(p.x(), p.y(), ScreenWidth, ScreenHeight, enemy.SpriteWidth,
                                     enemy.SpriteHeight, Difficulty,
                                     [] { return QRandomGenerator::global()->generateDouble(); });
    EnemyX = at.x();
    EnemyY = at.y();
}

} // namespace modGremlok
