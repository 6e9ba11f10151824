#pragma once
#include "platform/AudioMixer.h"

#include <QElapsedTimer>

#include <functional>

struct pa_context;
struct pa_stream;
struct pa_threaded_mainloop;
struct pa_time_event;

namespace platform {

// The one output stream every sound goes through: a PulseAudio stream with a small, fixed
// buffer, fed by an AudioMixer from the sound server's own thread. While nothing sounds the
// stream is starved, and after a few seconds of silence it is corked, so an idle program
// neither wakes up nor keeps the sink running; the next sound uncorks it and is written at
// once.
//
// Every member may be called from any thread and returns without waiting for the server:
// the mixer is guarded by the server thread's lock, which that thread only holds while it
// handles an event.
//
// The same connection counts the server's sinks (the output devices) and follows sinks coming
// and going through the server's change events, so counting costs no connection of its own
// and no wake-ups: the server only speaks when a sink changes.
class AudioStream {
public:
    // The stream's target latency: the whole buffer between the mixer and the sink.
    static constexpr int BufferMs = 25;
    // Silence after which the stream is corked.
    static constexpr int CorkAfterMs = 3000;

    AudioStream();
    ~AudioStream();
    AudioStream(const AudioStream&) = delete;
    AudioStream& operator=(const AudioStream&) = delete;

    // Connects to the sound server, counts its sinks and opens the stream (corked), unless that
    // is done or under way. Reads the server's client configuration, so it belongs on the
    // audio thread.
    void Open();

    void SetSounds(std::vector<AudioPcmPtr> sounds);
    // Starts a preloaded sound (rules of AudioMixer::Play) or the simple path's sound. False
    // when the stream is closed for good (no server, or it went away): Open() it again; the
    // sound then plays once the stream is up, unless that takes too long.
    bool Play(int index, bool restart);
    bool PlaySimple(AudioPcmPtr sound);

    // Called with the number of sinks whenever it is known: once the server has answered, after
    // a sink came or went, and 0 when there is no server to reach at all. Once a count has been
    // given, losing the server changes nothing: the next sound connects again and counts anew.
    // Runs on the sound server's thread (or inside Open()) under the lock, so it must not call
    // back into this object. When this returns, the function it replaced is no longer running.
    void SetOutputsCounted(std::function<void(int)> counted);

private:
    class Lock;
    void dropStream();
    void dropContext();
    void createStream();
    bool needsOpen() const;
    void kick();
    void fill(size_t bytes);
    void armCork();
    void watchSinks();
    void countSinks();
    void reportCount(int n);
    static void contextState(pa_context* c, void* self);
    static void streamState(pa_stream* s, void* self);
    static void writeRequest(pa_stream* s, size_t bytes, void* self);

    pa_threaded_mainloop* m_loop = nullptr;
    bool m_loopRunning = false;
    pa_context* m_context = nullptr;
    pa_stream* m_stream = nullptr;
    bool m_ready = false;      // the stream takes data
    bool m_corked = true;
    bool m_starved = true;     // the server asked for data we did not give
    pa_time_event* m_corkTimer = nullptr;
    AudioMixer m_mixer;
    QElapsedTimer m_clock;
    std::function<void(int)> m_counted;
    bool m_everCounted = false;
    int m_sinksListed = 0;     // sinks seen so far by the listing under way
};

} // namespace platform
