// Sound latency: from Play to the first non-silent sample reaching the rig's null sink (recorded
// from its monitor), median of many plays, for the preloaded path and the simple path, against
// the floor: a raw PulseAudio stream of the benchmark's own asking for the smallest latency the
// server grants and playing the same sound. Also the cold cases, and what a Play call costs the
// caller. Run inside the rig:
//   tests/rig/rig.sh tests/rig/isolated.sh build/bench/bench_sound
#include "core/modGremlok.h"
#include "platform/AudioMixer.h"
#include "platform/AudioStream.h"
#include "platform/AudioWaveFile.h"
#include "sound/SoundEffects.h"
#include <QElapsedTimer>
#include "tests/unit/test_sound_support.h"

#include <pulse/pulseaudio.h>
#include <QCoreApplication>
#include <QTemporaryDir>
#include <functional>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

using soundtest::Recorder;
using soundtest::wait;

namespace {

double median(std::vector<double> v)
{
    if (v.empty())
        return -1;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

struct Figures {
    std::vector<double> latencyMs;
    std::vector<double> callUs;
    int missed = 0;
};

// Plays (play(i)) in turn, each after the sink has gone quiet (`gapMs`), and notes when its
// sound arrived.
Figures measure(Recorder& rec, int plays, const std::function<void(int)>& play, int gapMs = 350,
                Figures f = {})
{
    for (int i = 0; i < plays; ++i) {
        wait(gapMs);   // the previous 150 ms tone and its tail are over
        const qsizetype from = rec.mark();
        QElapsedTimer call;
        const double at = double(rec.nowMs());
        call.start();
        play(i);
        f.callUs.push_back(double(call.nsecsElapsed()) / 1000.0);
        wait(300);
        const double heard = rec.firstNoisyMs(from);
        if (heard < 0)
            ++f.missed;
        else
            f.latencyMs.push_back(heard - at);
    }
    return f;
}

Figures measure(SoundEffects& sound, Recorder& rec, const std::vector<int>& ids, int plays)
{
    return measure(rec, plays, [&](int i) { sound.Play(ids[size_t(i) % ids.size()]); });
}

// The floor: a bare stream asking for the least latency the server grants (ADJUST_LATENCY with
// a 1 ms target and request size), kept open and starved between sounds; a play writes the
// whole sound into it at once.
class RawStream {
public:
    explicit RawStream(platform::AudioPcmPtr pcm) : m_pcm(std::move(pcm))
    {
        m_loop = pa_threaded_mainloop_new();
        pa_threaded_mainloop_start(m_loop);
        pa_threaded_mainloop_lock(m_loop);
        m_context = pa_context_new(pa_threaded_mainloop_get_api(m_loop), "bench_sound floor");
        pa_context_set_state_callback(m_context, [](pa_context*, void* l) {
            pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop*>(l), 0); }, m_loop);
        pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr);
        while (PA_CONTEXT_IS_GOOD(pa_context_get_state(m_context)) && pa_context_get_state(m_context) != PA_CONTEXT_READY)
            pa_threaded_mainloop_wait(m_loop);
        if (pa_context_get_state(m_context) == PA_CONTEXT_READY) {
            const pa_sample_spec spec = {PA_SAMPLE_S16NE, platform::AudioPcm::StreamRate, platform::AudioPcm::Channels};
            m_stream = pa_stream_new(m_context, "bench_sound floor", &spec, nullptr);
            pa_stream_set_state_callback(m_stream, [](pa_stream*, void* l) {
                pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop*>(l), 0); }, m_loop);
            pa_buffer_attr attr;
            attr.maxlength = attr.prebuf = attr.fragsize = uint32_t(-1);
            attr.tlength = attr.minreq = uint32_t(pa_usec_to_bytes(1000, &spec));
            pa_stream_connect_playback(m_stream, nullptr, &attr, PA_STREAM_ADJUST_LATENCY, nullptr, nullptr);
            while (PA_STREAM_IS_GOOD(pa_stream_get_state(m_stream)) && pa_stream_get_state(m_stream) != PA_STREAM_READY)
                pa_threaded_mainloop_wait(m_loop);
            if (pa_stream_get_state(m_stream) == PA_STREAM_READY)
                m_tlength = pa_stream_get_buffer_attr(m_stream)->tlength;
        }
        pa_threaded_mainloop_unlock(m_loop);
    }
    ~RawStream()
    {
        pa_threaded_mainloop_stop(m_loop);
        if (m_stream) {
            pa_stream_disconnect(m_stream);
            pa_stream_unref(m_stream);
        }
        pa_context_disconnect(m_context);
        pa_context_unref(m_context);
        pa_threaded_mainloop_free(m_loop);
    }
    bool ok() const { return m_tlength > 0; }
    uint32_t tlength() const { return m_tlength; }
    void play()
    {
        pa_threaded_mainloop_lock(m_loop);
        pa_stream_write(m_stream, m_pcm->Samples.data(), m_pcm->Samples.size() * sizeof(int16_t), nullptr, 0,
                        PA_SEEK_RELATIVE);
        pa_threaded_mainloop_unlock(m_loop);
    }

private:
    platform::AudioPcmPtr m_pcm;
    pa_threaded_mainloop* m_loop = nullptr;
    pa_context* m_context = nullptr;
    pa_stream* m_stream = nullptr;
    uint32_t m_tlength = 0;
};

void report(const char* name, const Figures& f)
{
    printf("%-34s latency median %6.1f ms  (min %5.1f, max %6.1f, n=%zu, unheard %d)   Play call median %5.1f us\n",
           name, median(f.latencyMs),
           f.latencyMs.empty() ? -1.0 : *std::min_element(f.latencyMs.begin(), f.latencyMs.end()),
           f.latencyMs.empty() ? -1.0 : *std::max_element(f.latencyMs.begin(), f.latencyMs.end()),
           f.latencyMs.size(), f.missed, median(f.callUs));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (!Recorder::available()) {
        fprintf(stderr, "bench_sound: needs the rig's sound server (PULSE_SERVER) and parec\n");
        return 1;
    }
    const int plays = qEnvironmentVariableIsSet("GREMLOK_BENCH_PLAYS") ? qEnvironmentVariableIntValue("GREMLOK_BENCH_PLAYS") : 40;

    QTemporaryDir skin;
    modGremlok::SkinFolder = skin.path() + '/';
    int hz = 300;
    for (const char* f : {"enmy_sht.wav", "enmy_apr.wav", "enmy_die.wav", "user_sht.wav", "user_die.wav", "user_blt.wav"}) {
        soundtest::writeTone(modGremlok::SkinFolder + f, 150, hz);
        hz += 110;
    }
    Recorder rec;
    if (!rec.start()) {
        fprintf(stderr, "bench_sound: cannot record the null sink's monitor\n");
        return 1;
    }

    const platform::AudioPcmPtr tone = platform::AudioWaveFile::Read(modGremlok::SkinFolder + "user_sht.wav");
    printf("bench_sound: %d plays each; latency = Play call to first sample above the silence level\n"
           "arriving from the sink's monitor (includes the monitor's ~5 ms capture fragment)\n", plays);
    Figures floor;
    uint32_t floorTlength = 0;
    auto measureFloor = [&] {
        RawStream raw(tone);
        if (!raw.ok())
            return;
        floorTlength = raw.tlength();
        wait(300);
        floor = measure(rec, plays / 2, [&](int) { raw.play(); }, 350, floor);
    };
    measureFloor();

    auto sound = std::make_unique<SoundEffects>();
    sound->setSoundEnabled(true);
    sound->setDirectSound(true);
    wait(300);
    const Figures preloaded = measure(*sound, rec, {SoundEffects::UserShot}, plays);
    const Figures preloadedMixed = measure(*sound, rec, {SoundEffects::EnemyAppears, SoundEffects::EnemyDies}, plays);
    // The first sound after a silence long enough for the stream to be corked (the first sound
    // of a fight, usually).
    const Figures corked = measure(rec, 8, [&](int) { sound->Play(SoundEffects::EnemyAppears); },
                                   platform::AudioStream::CorkAfterMs + 700);
    sound->setDirectSound(false);
    const Figures simpleSame = measure(*sound, rec, {SoundEffects::UserShot}, plays);
    const Figures simpleMixed = measure(*sound, rec, {SoundEffects::EnemyAppears, SoundEffects::EnemyDies}, plays);
    sound.reset();
    // Cold: the very first sound of a new sound object, before its stream is open.
    Figures cold;
    for (int i = 0; i < 6; ++i) {
        wait(300);
        auto fresh = std::make_unique<SoundEffects>();
        fresh->setSoundEnabled(true);
        cold = measure(rec, 1, [&](int) { fresh->Play(SoundEffects::UserShot); }, 0, cold);
    }

    measureFloor();

    printf("floor: raw stream, granted target %u bytes (%.1f ms)\n", floorTlength,
           floorTlength / 4.0 / platform::AudioPcm::StreamRate * 1000);
    report("floor (raw libpulse stream)", floor);
    report("preloaded, same sound", preloaded);
    report("preloaded, two sounds in turn", preloadedMixed);
    report("preloaded, after the stream corked", corked);
    report("simple, same sound", simpleSame);
    report("simple, two sounds in turn", simpleMixed);
    report("cold: first sound, stream not open", cold);
    const double fl = median(floor.latencyMs);
    if (fl > 0) {
        printf("ratio to the floor: preloaded %.2f, two in turn %.2f, after cork %.2f, simple %.2f, cold %.2f\n",
               median(preloaded.latencyMs) / fl, median(preloadedMixed.latencyMs) / fl, median(corked.latencyMs) / fl,
               median(simpleMixed.latencyMs) / fl, median(cold.latencyMs) / fl);
    }

    // Releasing the sound object while every sound plays (what Exit does mid-fight).
    std::vector<double> releaseMs;
    for (int i = 0; i < 5; ++i) {
        auto s2 = std::make_unique<SoundEffects>();
        s2->setSoundEnabled(true);
        s2->setDirectSound(true);
        wait(200);
        for (int id = 0; id < 6; ++id)
            s2->Play(id);
        QElapsedTimer t;
        t.start();
        s2.reset();
        releaseMs.push_back(t.nsecsElapsed() / 1e6);
    }
    printf("%-34s median %6.1f ms (n=%zu)\n", "release while playing", median(releaseMs), releaseMs.size());
    return 0;
}
