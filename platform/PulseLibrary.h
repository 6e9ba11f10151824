#pragma once
#include <QString>

#include <pulse/pulseaudio.h>

namespace platform {

// libpulse, opened when the sound output is made (after the tray icon is up) instead of with
// the program: with its own helpers and the codecs behind them it is a dozen libraries that
// start-up would otherwise map and bind.
#define GREMLOK_PULSE_FUNCTIONS(F) \
    F(context_connect) F(context_disconnect) F(context_errno) F(context_get_sink_info_list) \
    F(context_get_state) F(context_new_with_proplist) F(context_rttime_new) \
    F(context_set_state_callback) F(context_set_subscribe_callback) F(context_subscribe) \
    F(context_unref) F(operation_unref) F(proplist_free) F(proplist_new) F(proplist_sets) \
    F(rtclock_now) F(stream_begin_write) F(stream_cancel_write) F(stream_connect_playback) \
    F(stream_cork) F(stream_disconnect) F(stream_get_buffer_attr) F(stream_get_context) \
    F(stream_get_state) F(stream_new_with_proplist) F(stream_set_state_callback) \
    F(stream_set_write_callback) F(stream_unref) F(stream_writable_size) F(stream_write) \
    F(strerror) F(threaded_mainloop_free) F(threaded_mainloop_get_api) F(threaded_mainloop_lock) \
    F(threaded_mainloop_new) F(threaded_mainloop_start) F(threaded_mainloop_stop) \
    F(threaded_mainloop_unlock) F(usec_to_bytes)

struct PulseLibrary {
#define GREMLOK_PULSE_SLOT(name) decltype(&pa_##name) name = nullptr;
    GREMLOK_PULSE_FUNCTIONS(GREMLOK_PULSE_SLOT)
#undef GREMLOK_PULSE_SLOT

    // The library, loaded once; nullptr, with the reason in `why`, when it cannot be loaded or
    // lacks one of the functions.
    static const PulseLibrary* Get(QString* why = nullptr);
};

} // namespace platform
