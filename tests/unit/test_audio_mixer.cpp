// The software mixer behind every sound: overlapping sounds, the repeat rules of the preloaded
// sounds and the one-at-a-time simple path.
#include "platform/AudioMixer.h"

#include <QtTest>

using platform::AudioMixer;
using platform::AudioPcm;
using platform::AudioPcmPtr;

namespace {

// A sound whose every sample (both sides) is `value`, or, when `value` is 0, the number of
// its frame, so that what the mixer plays tells where in the sound it is.
AudioPcmPtr sound(int frames, int value = 0)
{
    auto pcm = std::make_shared<AudioPcm>();
    for (int i = 0; i < frames; ++i)
        pcm->Samples.insert(pcm->Samples.end(), AudioPcm::Channels, int16_t(value ? value : i));
    return pcm;
}

// The left side of the next `frames` frames of the mix.
QList<int> mix(AudioMixer& m, int frames)
{
    std::vector<int16_t> out(size_t(frames) * AudioPcm::Channels, 12345);
    m.Mix(out.data(), frames);
    QList<int> left;
    for (int i = 0; i < frames; ++i)
        left << out[size_t(i) * AudioPcm::Channels];
    return left;
}

} // namespace

class TestAudioMixer : public QObject {
    Q_OBJECT
private slots:
    // Two sounds at once add up; beyond full scale the sum stays at full scale rather than
    // wrapping round to the other sign; after both, silence.
    void overlappingSoundsSaturate_data()
    {
        QTest::addColumn<int>("a");
        QTest::addColumn<int>("b");
        QTest::addColumn<int>("sum");
        QTest::newRow("small") << 1000 << -3000 << -2000;
        QTest::newRow("too loud") << 30000 << 20000 << 32767;
        QTest::newRow("too loud, negative") << -30000 << -20000 << -32768;
    }
    void overlappingSoundsSaturate()
    {
        QFETCH(int, a);
        QFETCH(int, b);
        QFETCH(int, sum);
        AudioMixer m;
        m.SetSounds({sound(4, a), sound(2, b)});
        QVERIFY(m.Play(0, false, 0) && m.Play(1, false, 0));
        QCOMPARE(mix(m, 6), QList<int>({sum, sum, a, a, 0, 0}));
        QVERIFY(!m.Active());
    }

    // A repeat while the sound plays: lost (the sound goes on) unless it restarts; a voice
    // that never moved (the stream stopped taking data) no longer blocks a repeat once its
    // sound should long have ended; after the end a repeat plays again.
    void repeatRules_data()
    {
        QTest::addColumn<bool>("restart");
        QTest::addColumn<int>("mixedFirst");
        QTest::addColumn<int>("repeatAtMs");
        QTest::addColumn<bool>("started");
        QTest::addColumn<QList<int>>("then");
        const int stuck = int(1000 + AudioMixer::StuckMs);   // the sound lasts 1 s
        QTest::newRow("lost while playing") << false << 3 << 10 << false << QList<int>{3, 4};
        QTest::newRow("restarted while playing") << true << 3 << 10 << true << QList<int>{0, 1};
        QTest::newRow("stuck, just in time") << false << 0 << stuck - 1 << false << QList<int>{0, 1};
        QTest::newRow("stuck, too long") << false << 0 << stuck + 1 << true << QList<int>{0, 1};
        QTest::newRow("after its end") << false << 44100 << 1001 << true << QList<int>{0, 1};
    }
    void repeatRules()
    {
        QFETCH(bool, restart);
        QFETCH(int, mixedFirst);
        QFETCH(int, repeatAtMs);
        QFETCH(bool, started);
        QFETCH(QList<int>, then);
        AudioMixer m;
        m.SetSounds({sound(44100)});
        QVERIFY(m.Play(0, false, 0));
        mix(m, mixedFirst);
        QCOMPARE(m.Play(0, restart, repeatAtMs), started);
        QCOMPARE(mix(m, 2), then);
    }

    // The simple path: a new sound cuts off the old one; a missing one only cuts. Unknown
    // ids, and sounds replaced by a reload, do nothing.
    void simplePathAndReload()
    {
        AudioMixer m;
        m.SetSounds({sound(100, 7)});
        m.PlaySimple(sound(100, 1000), 0);
        QVERIFY(m.Play(0, false, 0));
        QCOMPARE(mix(m, 1), QList<int>{1007});
        m.PlaySimple(sound(100), 0);
        QCOMPARE(mix(m, 2), QList<int>({7, 8}));
        m.PlaySimple(nullptr, 0);
        QCOMPARE(mix(m, 1), QList<int>{7});
        QVERIFY(!m.Play(1, true, 0) && !m.Play(-1, true, 0));
        m.SetSounds({sound(100, 5)});
        QCOMPARE(mix(m, 1), QList<int>{0});
        QVERIFY(!m.Active());
    }
};

QTEST_MAIN(TestAudioMixer)
#include "test_audio_mixer.moc"
