#include "platform/AudioDeviceWatch.h"

namespace platform {

AudioDeviceWatch& AudioDeviceWatch::instance()
{
    static AudioDeviceWatch watch;
    return watch;
}

} // namespace platform
