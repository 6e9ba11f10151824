#pragma once
// Test-only. With GREMLOK_SOAK=N in the environment the program plays N fights by itself,
// through the handlers a player reaches: "&Fight Now!", a first movement and a click on a
// visible pixel of the enemy (mouse events delivered to the fight window, so the real hit test
// runs), the right button once the death animation is over; the name prompt and Best Times are
// answered as a player would. While linked, or available for a peer, it starts nothing and plays
// the fights the peer's timer starts, shooting after a random pause. Every fight's outcome, and
// the resident memory and open descriptors at fights 1, 10, every 100th and the last, are
// traced under "soak". Unset (or not a positive number), nothing of this runs.
namespace modGremlok {

void StartSoakIfAsked();

} // namespace modGremlok
