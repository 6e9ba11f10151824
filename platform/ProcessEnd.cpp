#include "platform/ProcessEnd.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace platform {

namespace {
std::atomic<bool> loopRunning{false};

void endAtOnce()
{
    if (!loopRunning.load())
        return;
    std::fflush(nullptr);
    std::_Exit(1);
}
} // namespace

void EventLoopStarting()
{
    // Registered as late as possible: handlers run before the destructors of every static
    // object that existed when they were registered.
    static const bool registered = std::atexit(endAtOnce) == 0;
    (void)registered;
    loopRunning = true;
}

void EventLoopEnded()
{
    loopRunning = false;
}

} // namespace platform
