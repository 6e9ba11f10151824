#pragma once
// While one of the program's dialogs is open, automatic fights wait: the timed fight, and the
// shared timer this side runs as the initiator of a link while nobody is away.

// Stops the fight timer when one of them is running, and sets DialogOpen.
void SuspendAutomaticFights();
// Arms the timer again with the (possibly new) intervals, and clears DialogOpen.
void RearmAutomaticFights();
