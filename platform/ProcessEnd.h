#pragma once

namespace platform {

// The toolkit ends the process with exit() from inside the event loop when the connection to
// the display breaks. The static objects would then be destroyed while other threads (the
// sound output) still use them, and the process would die of a crash instead. Between these
// two calls such an exit ends the process at once, with the toolkit's status 1 (exit() does
// not pass its status on), before any static object is destroyed.
void EventLoopStarting();
void EventLoopEnded();

} // namespace platform
