#pragma once
// How the program's heap gives memory back to the system.
namespace platform {

// Set once at start-up: large blocks (screen-sized images) get pages of their own that go back
// to the system when freed, and the few helper threads share a small number of heaps.
void TuneAllocator();

// Returns the free pages of the heap to the system (after a fight, when the program goes idle).
void TrimHeap();

} // namespace platform
