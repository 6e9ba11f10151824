#include "platform/Memory.h"

#include <QtGlobal>

#ifdef Q_OS_LINUX
#include <malloc.h>
#endif

namespace platform {

void TuneAllocator()
{
#ifdef Q_OS_LINUX
    // A fixed threshold: glibc otherwise raises it after the first freed screen image, and
    // every later one stays in the heap after the fight.
    mallopt(M_MMAP_THRESHOLD, 256 * 1024);
    // One heap per helper thread (sound, D-Bus, the X reader) keeps freed blocks in each.
    mallopt(M_ARENA_MAX, 2);
#endif
}

void TrimHeap()
{
#ifdef Q_OS_LINUX
    malloc_trim(0);
#endif
}

} // namespace platform
