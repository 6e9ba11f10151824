// Sound latency: from Play to the first non-silent sample reaching the rig's null sink (recorded
// from its monitor), median of many plays, for the preloaded path and the simple path; and what
// a Play call costs the caller. Run inside the rig: tests/rig/rig.sh build/bench/bench_sound
#include "core/modGremlok.h"
#include "sound/SoundEffects.h"
#include <QElapsedTimer>
#include "tests/unit/test_sound_support.h"

#include <QCoreApplication>
#include <QTemporaryDir>
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

// Plays the ids in turn, each after the sink has gone quiet, and notes when its sound arrived.
Figures measure(SoundEffects& sound, Recorder& rec, const std::vector<int>& ids, int plays)
{
    Figures f;
    for (int i = 0; i < plays; ++i) {
        wait(350);   // the previous 150 ms tone and its tail are over
        const qsizetype from = rec.mark();
        QElapsedTimer call;
        const double at = double(rec.nowMs());
        call.start();
        sound.Play(ids[size_t(i) % ids.size()]);
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

    auto sound = std::make_unique<SoundEffects>();
    sound->setSoundEnabled(true);
    sound->setDirectSound(true);
    wait(300);
    printf("bench_sound: %d plays each; latency = Play call to first sample above the silence level\n"
           "arriving from the sink's monitor (includes the monitor's ~5 ms capture fragment)\n", plays);
    const Figures preloaded = measure(*sound, rec, {SoundEffects::UserShot}, plays);
    const Figures preloadedMixed = measure(*sound, rec, {SoundEffects::EnemyAppears, SoundEffects::EnemyDies}, plays);
    sound->setDirectSound(false);
    const Figures simpleSame = measure(*sound, rec, {SoundEffects::UserShot}, plays);
    const Figures simpleMixed = measure(*sound, rec, {SoundEffects::EnemyAppears, SoundEffects::EnemyDies}, plays);

    report("preloaded, same sound", preloaded);
    report("preloaded, two sounds in turn", preloadedMixed);
    report("simple, same sound", simpleSame);
    report("simple, two sounds in turn", simpleMixed);
    const double p = median(preloaded.latencyMs), s = median(simpleMixed.latencyMs);
    if (p > 0 && s > 0)
        printf("ratio simple (two sounds) / preloaded: %.2f\n", s / p);

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
