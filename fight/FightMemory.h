#pragma once
// What a fight holds between fights: the shared capture buffer is made ready where a fight is
// announced (the tray menu, the first click of a double click, a timed fight about to start)
// and given back, with the heap's free pages, once the program has been idle a while.
namespace FightMemory {

// Milliseconds without a fight after which the memory goes back.
constexpr int IdleReleaseMs = 5000;

// Milliseconds a buffer made ready for an announced fight is kept if the fight does not come.
constexpr int UnusedReleaseMs = 30000;

// A fight may follow (or, with a peer linked, may come at any moment): the capture buffer is
// made ready off the user-interface thread.
void PrepareCapture();

// A fight window has closed: memory goes back after `ms` unless a fight is on by then.
void ReleaseWhenIdle(int ms = IdleReleaseMs);

} // namespace FightMemory
