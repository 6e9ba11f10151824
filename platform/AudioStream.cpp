#include "platform/AudioStream.h"
#include "core/Logging.h"
#include "platform/PulseLibrary.h"

#include <algorithm>

namespace platform {

namespace {

const pa_sample_spec kSpec = {PA_SAMPLE_S16NE, AudioPcm::StreamRate, AudioPcm::Channels};
constexpr size_t kFrameBytes = sizeof(int16_t) * AudioPcm::Channels;

// Only reached once the constructor has found the library (m_loop is set).
const PulseLibrary& pa()
{
    return *PulseLibrary::Get();
}

} // namespace

class AudioStream::Lock {
public:
    // No loop (no library): nothing runs on another thread to lock against.
    explicit Lock(pa_threaded_mainloop* loop) : m_loop(loop)
    {
        if (m_loop)
            pa().threaded_mainloop_lock(m_loop);
    }
    ~Lock()
    {
        if (m_loop)
            pa().threaded_mainloop_unlock(m_loop);
    }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

private:
    pa_threaded_mainloop* m_loop;
};

AudioStream::AudioStream()
{
    QString why;
    if (const PulseLibrary* lib = PulseLibrary::Get(&why))
        m_loop = lib->threaded_mainloop_new();
    else
        qCWarning(lcSound) << "No sound: the sound server's library cannot be loaded:" << why;
    m_clock.start();
}

AudioStream::~AudioStream()
{
    if (!m_loop)
        return;
    // The server thread never waits on the server itself, so it stops promptly even when the
    // server has stopped answering.
    if (m_loopRunning)
        pa().threaded_mainloop_stop(m_loop);
    dropStream();
    dropContext();
    pa().threaded_mainloop_free(m_loop);
}

void AudioStream::dropContext()
{
    if (!m_context)
        return;
    pa().context_set_state_callback(m_context, nullptr, nullptr);
    pa().context_set_subscribe_callback(m_context, nullptr, nullptr);
    pa().context_disconnect(m_context);
    pa().context_unref(m_context);
    m_context = nullptr;
}

void AudioStream::dropStream()
{
    if (m_corkTimer && m_context)
        pa().threaded_mainloop_get_api(m_loop)->time_free(m_corkTimer);
    m_corkTimer = nullptr;
    if (m_stream) {
        pa().stream_set_state_callback(m_stream, nullptr, nullptr);
        pa().stream_set_write_callback(m_stream, nullptr, nullptr);
        pa().stream_disconnect(m_stream);
        pa().stream_unref(m_stream);
        m_stream = nullptr;
    }
    m_ready = false;
    m_corked = true;
    m_starved = true;
}

bool AudioStream::needsOpen() const
{
    if (!m_loop || !m_context)
        return true;
    const pa_context_state_t c = pa().context_get_state(m_context);
    if (!PA_CONTEXT_IS_GOOD(c))
        return true;
    if (c != PA_CONTEXT_READY)
        return false;   // still connecting; the stream follows
    return !m_stream || !PA_STREAM_IS_GOOD(pa().stream_get_state(m_stream));
}

void AudioStream::Open()
{
    Lock lock(m_loop);
    if (!m_loop) {
        if (!m_everCounted)
            reportCount(0);
        return;
    }
    if (!needsOpen())
        return;
    if (!m_loopRunning) {
        if (pa().threaded_mainloop_start(m_loop) < 0) {
            qCWarning(lcSound) << "Cannot start the sound server's thread; no sound";
            if (!m_everCounted)
                reportCount(0);
            return;
        }
        m_loopRunning = true;
    }
    if (m_context && pa().context_get_state(m_context) == PA_CONTEXT_READY) {
        createStream();
        return;
    }
    dropStream();
    dropContext();
    m_sinksListed = 0;
    pa_proplist* props = pa().proplist_new();
    pa().proplist_sets(props, PA_PROP_APPLICATION_NAME, "Gremlok");
    pa().proplist_sets(props, PA_PROP_APPLICATION_ID, "io.github.gremlok.Gremlok");
    m_context = pa().context_new_with_proplist(pa().threaded_mainloop_get_api(m_loop), "Gremlok", props);
    pa().proplist_free(props);
    if (!m_context) {
        if (!m_everCounted)
            reportCount(0);
        return;
    }
    pa().context_set_state_callback(m_context, &AudioStream::contextState, this);
    // Never start a server of our own: no server means no sound. Where there is none, this
    // fails at once (a missing socket), and that is the count: no output.
    if (pa().context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        qCWarning(lcSound) << "Cannot reach the sound server:" << pa().strerror(pa().context_errno(m_context));
        if (!m_everCounted)
            reportCount(0);
    }
}

void AudioStream::contextState(pa_context* c, void* self)
{
    auto* s = static_cast<AudioStream*>(self);
    switch (pa().context_get_state(c)) {
    case PA_CONTEXT_READY:
        s->watchSinks();
        s->createStream();
        break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        qCWarning(lcSound) << (s->m_everCounted ? "Lost the sound server:" : "No sound server:")
                           << pa().strerror(pa().context_errno(c));
        s->dropStream();
        // No server from the start means no output. A server that goes away later keeps its
        // count: the next sound connects again (a restarted server is found that way, without
        // anything waking up meanwhile) and counts anew.
        if (!s->m_everCounted)
            s->reportCount(0);
        break;
    default:
        break;
    }
}

// Sinks are counted now and again whenever one comes or goes. The subscription costs nothing
// while nothing changes: the server sends an event only when a sink does.
void AudioStream::watchSinks()
{
    pa().context_set_subscribe_callback(m_context, [](pa_context*, pa_subscription_event_type_t t, uint32_t, void* self) {
        // A sink's volume or port changing leaves the count as it is.
        if ((t & PA_SUBSCRIPTION_EVENT_FACILITY_MASK) == PA_SUBSCRIPTION_EVENT_SINK
            && (t & PA_SUBSCRIPTION_EVENT_TYPE_MASK) != PA_SUBSCRIPTION_EVENT_CHANGE)
            static_cast<AudioStream*>(self)->countSinks();
    }, this);
    if (pa_operation* op = pa().context_subscribe(m_context, PA_SUBSCRIPTION_MASK_SINK, nullptr, nullptr))
        pa().operation_unref(op);
    countSinks();
}

void AudioStream::countSinks()
{
    // The server answers a listing in one message, so two listings never interleave here.
    pa_operation* op = pa().context_get_sink_info_list(m_context, [](pa_context* c, const pa_sink_info*, int eol, void* self) {
        auto* s = static_cast<AudioStream*>(self);
        if (eol == 0) {
            ++s->m_sinksListed;
            return;
        }
        const int n = s->m_sinksListed;
        s->m_sinksListed = 0;
        if (eol < 0) {
            qCWarning(lcSound) << "The sound server did not list its outputs:" << pa().strerror(pa().context_errno(c));
            return;
        }
        s->reportCount(n);
        // A sink where there was none: the stream is opened ahead of the first sound.
        if (n > 0 && (!s->m_stream || !PA_STREAM_IS_GOOD(pa().stream_get_state(s->m_stream))))
            s->createStream();
    }, this);
    if (op)
        pa().operation_unref(op);
}

void AudioStream::reportCount(int n)
{
    m_everCounted = true;
    if (m_counted)
        m_counted(n);
}

void AudioStream::SetOutputsCounted(std::function<void(int)> counted)
{
    Lock lock(m_loop);
    m_counted = std::move(counted);
}

void AudioStream::createStream()
{
    dropStream();
    pa_proplist* props = pa().proplist_new();
    pa().proplist_sets(props, PA_PROP_MEDIA_ROLE, "game");
    m_stream = pa().stream_new_with_proplist(m_context, "Gremlok sounds", &kSpec, nullptr, props);
    pa().proplist_free(props);
    if (!m_stream) {
        qCWarning(lcSound) << "The sound server refused the stream:" << pa().strerror(pa().context_errno(m_context));
        return;
    }
    pa().stream_set_state_callback(m_stream, &AudioStream::streamState, this);
    pa().stream_set_write_callback(m_stream, &AudioStream::writeRequest, this);
    // The buffer is set, not left to the server's default (which is two seconds): the target
    // latency, handed out in pieces of half of it.
    pa_buffer_attr attr;
    attr.maxlength = uint32_t(-1);
    attr.tlength = uint32_t(pa().usec_to_bytes(BufferMs * PA_USEC_PER_MSEC, &kSpec));
    attr.prebuf = uint32_t(-1);
    attr.minreq = attr.tlength / 2;
    attr.fragsize = uint32_t(-1);
    const auto flags = pa_stream_flags_t(PA_STREAM_ADJUST_LATENCY | PA_STREAM_START_CORKED);
    m_corked = true;
    if (pa().stream_connect_playback(m_stream, nullptr, &attr, flags, nullptr, nullptr) < 0) {
        qCWarning(lcSound) << "Cannot open the sound stream:" << pa().strerror(pa().context_errno(m_context));
        dropStream();
    }
}

void AudioStream::streamState(pa_stream* st, void* self)
{
    auto* s = static_cast<AudioStream*>(self);
    switch (pa().stream_get_state(st)) {
    case PA_STREAM_READY: {
        s->m_ready = true;
        if (const pa_buffer_attr* a = pa().stream_get_buffer_attr(st))
            qCDebug(lcSound) << "Sound stream open: target" << a->tlength << "bytes, request" << a->minreq
                             << "bytes, prebuffer" << a->prebuf << "bytes";
        // Sounds asked for while the stream was being opened play now, unless that is so late
        // that they would sound out of place.
        s->m_mixer.DropUnstarted(s->m_clock.elapsed() - AudioMixer::StuckMs);
        if (s->m_mixer.Active())
            s->kick();
        break;
    }
    case PA_STREAM_FAILED:
        qCWarning(lcSound) << "The sound stream failed:" << pa().strerror(pa().context_errno(pa().stream_get_context(st)));
        s->m_ready = false;
        break;
    default:
        break;
    }
}

void AudioStream::writeRequest(pa_stream*, size_t bytes, void* self)
{
    auto* s = static_cast<AudioStream*>(self);
    if (s->m_mixer.Active()) {
        s->fill(bytes);
    } else {
        // Nothing to play: leave the stream starved (the server then stops asking) and cork it
        // if the silence lasts.
        s->m_starved = true;
        s->armCork();
    }
}

void AudioStream::fill(size_t bytes)
{
    bytes -= bytes % kFrameBytes;
    if (bytes == 0)
        return;
    void* data = nullptr;
    size_t room = bytes;
    if (pa().stream_begin_write(m_stream, &data, &room) < 0 || !data)
        return;
    room = std::min(room, bytes);
    room -= room % kFrameBytes;
    m_mixer.Mix(static_cast<int16_t*>(data), int64_t(room / kFrameBytes));
    if (pa().stream_write(m_stream, data, room, nullptr, 0, PA_SEEK_RELATIVE) < 0)
        pa().stream_cancel_write(m_stream);
    else
        m_starved = false;
    if (room < bytes)
        fill(bytes - room);
}

// A new sound: make sure the stream runs and write the first part of it right away rather
// than at the server's next request.
void AudioStream::kick()
{
    if (!m_ready)
        return;
    if (m_corkTimer) {
        pa().threaded_mainloop_get_api(m_loop)->time_free(m_corkTimer);
        m_corkTimer = nullptr;
    }
    size_t bytes = pa().stream_writable_size(m_stream);
    if (bytes != size_t(-1)) {
        // A starved stream starts again only once its prebuffer is full; give it that much
        // now, or it waits for a request that never comes.
        if (m_starved) {
            if (const pa_buffer_attr* a = pa().stream_get_buffer_attr(m_stream))
                bytes = std::max<size_t>(bytes, a->prebuf);
        }
        fill(bytes);
    }
    // Uncorked after the data is there, so the server can start at once.
    if (m_corked) {
        if (pa_operation* op = pa().stream_cork(m_stream, 0, nullptr, nullptr))
            pa().operation_unref(op);
        m_corked = false;
    }
}

void AudioStream::armCork()
{
    if (m_corked || m_corkTimer || !m_ready)
        return;
    m_corkTimer = pa().context_rttime_new(m_context, pa().rtclock_now() + CorkAfterMs * PA_USEC_PER_MSEC,
        [](pa_mainloop_api* api, pa_time_event* e, const struct timeval*, void* self) {
            auto* s = static_cast<AudioStream*>(self);
            api->time_free(e);
            s->m_corkTimer = nullptr;
            if (s->m_mixer.Active() || s->m_corked || !s->m_ready)
                return;
            if (pa_operation* op = pa().stream_cork(s->m_stream, 1, nullptr, nullptr))
                pa().operation_unref(op);
            s->m_corked = true;
        }, this);
}

void AudioStream::SetSounds(std::vector<AudioPcmPtr> sounds)
{
    Lock lock(m_loop);
    m_mixer.SetSounds(std::move(sounds));
}

bool AudioStream::Play(int index, bool restart)
{
    Lock lock(m_loop);
    if (m_mixer.Play(index, restart, m_clock.elapsed()))
        kick();
    return !needsOpen();
}

bool AudioStream::PlaySimple(AudioPcmPtr sound)
{
    Lock lock(m_loop);
    m_mixer.PlaySimple(std::move(sound), m_clock.elapsed());
    if (m_mixer.Active())
        kick();
    return !needsOpen();
}

} // namespace platform
