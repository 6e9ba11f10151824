#pragma once
// Puts each fight into the history once its window has closed.
#include "fight/FightStats.h"

namespace modGremlok {

// Says how the next fight starts; call it just before showing the fight window. Ignored while
// a fight is on screen. Without it a fight counts as linked while a peer is connected, as timed
// while timed fights are on, else as started from "Fight Now!".
void SetFightOrigin(FightOrigin origin);

// The end of the fight, from its window's closing steps: takes the outcome from the fight's
// state (`killTime` the single-player kill time, -1 for none) and writes it once the event loop
// is back, so neither a slow disk nor a damaged file can hold the fight up. The history's module
// is loaded then, on the first fight's end; without it the fight is lost to the history only.
void RememberFight(float killTime);

// What RememberFight would record now (used by it and by tests).
FightEntry CurrentFightOutcome(float killTime);

} // namespace modGremlok
