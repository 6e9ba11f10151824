#include "platform/PulseLibrary.h"

#include "platform/LateLibrary.h"

namespace platform {

const PulseLibrary* PulseLibrary::Get(QString* why)
{
    static const LoadedLate<PulseLibrary> loaded(GREMLOK_LIBPULSE_SONAME, [](LateLibrary& library, PulseLibrary& f) {
#define GREMLOK_PULSE_BIND(name) library.Bind("pa_" #name, f.name);
        GREMLOK_PULSE_FUNCTIONS(GREMLOK_PULSE_BIND)
#undef GREMLOK_PULSE_BIND
    });
    return loaded.Get(why);
}

} // namespace platform
