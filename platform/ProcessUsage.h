#pragma once
// What this process holds of the system right now: resident memory and open file descriptors.
// Read for the soak figures; -1 where the system does not tell.
namespace platform {

long ResidentKiB();
int OpenFileCount();

} // namespace platform
