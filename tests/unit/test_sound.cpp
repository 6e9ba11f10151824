// Sound effects against the rig's PulseAudio null sink: what is heard (recorded from the sink's
// monitor) on each path, the restart and overlap rules, the events, and the fallbacks.
#include "core/modGremlok.h"
#include "platform/SettingsStore.h"
#include "sound/SoundEffects.h"
#include "test_sound_support.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using soundtest::wait;

namespace {
constexpr int kToneMs = 500;
constexpr int kGapMs = 200;
// Slack for heard durations (scheduling, server buffering); more for sequences on the simple
// path, which reads each new file afresh.
constexpr double kSlackMs = 90;
constexpr double kSimpleSlackMs = 150;
constexpr double kToneRms = 0.3 * 0.707;
} // namespace

class TestSound : public QObject {
    Q_OBJECT

    QTemporaryDir m_tmp;
    QString m_trace;
    QString m_skin;
    std::unique_ptr<soundtest::Recorder> m_rec;

    // A skin folder with every fight sound a tone of its own pitch; `without` is left out.
    void makeSkin(const QString& without = QString(), int ms = kToneMs)
    {
        QDir(m_skin).removeRecursively();
        QDir().mkpath(m_skin);
        int hz = 300;
        for (const char* f : {"enmy_sht.wav", "enmy_apr.wav", "enmy_die.wav", "user_sht.wav", "user_die.wav",
                              "user_blt.wav"}) {
            if (without != QLatin1String(f))
                QVERIFY(soundtest::writeTone(m_skin + f, ms, hz));
            hz += 110;
        }
        modGremlok::SkinFolder = m_skin;
    }

    // The sound object as start-up leaves it.
    std::unique_ptr<SoundEffects> makeSound(bool soundOn, bool direct)
    {
        QFile::remove(m_trace);
        auto s = std::make_unique<SoundEffects>();
        s->setSoundEnabled(soundOn);
        s->setDirectSound(direct);
        wait(150);   // let the preloaded sounds decode
        return s;
    }

    // The last path the object chose for the fight sounds, from the trace.
    QString lastPath() const
    {
        QFile f(m_trace);
        QString last;
        if (f.open(QIODevice::ReadOnly))
            for (const QByteArray& line : f.readAll().split('\n'))
                if (line.startsWith("sound.path\t"))
                    last = QString::fromUtf8(line.mid(11));
        return last;
    }

    // Silence until the sink has played out, then a mark to measure from.
    qsizetype quietMark()
    {
        wait(250);
        return m_rec->mark();
    }

    // Plays `first`, then `second` kGapMs later; returns the milliseconds heard.
    double playPair(SoundEffects& s, int first, int second, qsizetype& from)
    {
        from = quietMark();
        s.Play(first);
        wait(kGapMs);
        s.Play(second);
        wait(kToneMs + kGapMs + 400);
        return m_rec->heardMs(from);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_tmp.isValid());
        m_trace = m_tmp.filePath("trace.log");
        qputenv("GREMLOK_TRACE", m_trace.toLocal8Bit());
        m_skin = m_tmp.filePath("simskin.tmp") + '/';
        if (!soundtest::Recorder::available())
            QSKIP("needs the rig's sound server (PULSE_SERVER) and parec");
        m_rec = std::make_unique<soundtest::Recorder>();
        QVERIFY2(m_rec->start(), "cannot record the null sink's monitor");
    }

    void init() { makeSkin(); }

    // The same sound again after it has ended, over and over: heard every time, in full (a
    // player reused after its end can stay silent).
    void replayAfterEndIsHeardEveryTime_data()
    {
        QTest::addColumn<bool>("direct");
        QTest::addColumn<int>("id");
        QTest::newRow("preloaded enemy shot") << true << int(SoundEffects::EnemyShot);
        QTest::newRow("preloaded player shot") << true << int(SoundEffects::UserShot);
        QTest::newRow("simple enemy shot") << false << int(SoundEffects::EnemyShot);
    }
    void replayAfterEndIsHeardEveryTime()
    {
        QFETCH(bool, direct);
        QFETCH(int, id);
        makeSkin(QString(), 150);
        auto s = makeSound(true, direct);
        QCOMPARE(lastPath(), direct ? QString("preloaded") : QString());
        QStringList heard;
        int missed = 0;
        for (int i = 0; i < 10; ++i) {
            const qsizetype from = quietMark();
            s->Play(id);
            wait(450);
            const double len = m_rec->heardMs(from);
            heard << QString::number(qRound(len));
            missed += qAbs(len - 150) >= kSlackMs;
        }
        QVERIFY2(missed == 0, qPrintable("heard (ms): " + heard.join(' ')));
    }

    // A repeat kGapMs into a sound: the player's shot and empty click start over, the other
    // preloaded sounds play on and the repeat is lost, the simple path cuts off and starts
    // over. Different sounds overlap only when preloaded. Never two copies of one sound.
    void repeatAndOverlapRules_data()
    {
        QTest::addColumn<bool>("direct");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("second");
        QTest::addColumn<int>("expectMs");
        QTest::addColumn<bool>("overlap");
        const int both = kGapMs + kToneMs;
        QTest::newRow("shot restarts") << true << 3 << 3 << both << false;
        QTest::newRow("empty click restarts") << true << 5 << 5 << both << false;
        QTest::newRow("enemy shot plays on") << true << 0 << 0 << kToneMs << false;
        QTest::newRow("player death plays on") << true << 4 << 4 << kToneMs << false;
        QTest::newRow("simple cuts off") << false << 0 << 0 << both << false;
        QTest::newRow("preloaded overlap") << true << 1 << 3 << both << true;
        QTest::newRow("simple one at a time") << false << 1 << 3 << both << false;
    }
    void repeatAndOverlapRules()
    {
        QFETCH(bool, direct);
        QFETCH(int, first);
        QFETCH(int, second);
        QFETCH(int, expectMs);
        QFETCH(bool, overlap);
        auto s = makeSound(true, direct);
        qsizetype from = 0;
        const double len = playPair(*s, first, second, from);
        QVERIFY2(qAbs(len - expectMs) < (direct ? kSlackMs : kSimpleSlackMs), qPrintable(QString("heard %1 ms").arg(len)));
        const double peak = m_rec->peakRms(from);
        if (overlap)
            QVERIFY2(peak > kToneRms * 1.25, qPrintable(QString("peak rms %1").arg(peak)));
        else
            QVERIFY2(peak < kToneRms * 1.15, qPrintable(QString("peak rms %1").arg(peak)));
    }

    // Fight sounds off: Play is silent on both paths but the events still sound; unknown ids,
    // unconfigured and empty event paths stay silent.
    void eventsAndSilence()
    {
        QVERIFY(soundtest::writeTone(m_tmp.filePath("message.wav"), 300, 880));
        platform::SettingsStore& reg = *modGremlok::SettingsStore;
        const QString prefix = "AppEvents\\Schemes\\Apps\\Gremlok\\";
        int32_t key = reg.OpenKey(platform::HKEY_CURRENT_USER, prefix + "Incoming Message\\.Current", 0);
        QCOMPARE(reg.SetValue(key, QString(), m_tmp.filePath("message.wav")), 0);
        reg.CloseKey(key);
        key = reg.OpenKey(platform::HKEY_CURRENT_USER, prefix + "Connected\\.Current", 0);
        QCOMPARE(reg.SetValue(key, QString(), QString()), 0);
        reg.CloseKey(key);

        for (bool direct : {true, false}) {
            auto s = makeSound(false, direct);
            qsizetype from = quietMark();
            for (int id = 0; id < 6; ++id)
                s->Play(id);
            wait(500);
            QCOMPARE(m_rec->heardMs(from), 0.0);

            s->PlaySoundEvent(SoundEffects::IncomingMessage);
            wait(700);
            const double len = m_rec->heardMs(from);
            QVERIFY2(qAbs(len - 300) < kSlackMs, qPrintable(QString("message event: heard %1 ms").arg(len)));

            s->setSoundEnabled(true);
            from = quietMark();
            s->Play(6);
            s->Play(-1);
            s->PlaySoundEvent(3);
            s->PlaySoundEvent(SoundEffects::Connected);
            s->PlaySoundEvent(SoundEffects::IncomingGameRequest);
            wait(500);
            QCOMPARE(m_rec->heardMs(from), 0.0);
        }
    }

    // DirectSound written while sound is off loads nothing, nor does switching sound on later;
    // fight sounds then go the simple way (a repeated enemy shot is cut off, not lost) although
    // the device would support preloading.
    void soundOnAfterDirectSoundLoadsNothing()
    {
        QFile::remove(m_trace);
        SoundEffects s;
        s.setDirectSound(true);
        s.setSoundEnabled(true);
        QCOMPARE(lastPath(), QString());
        QVERIFY(s.IsDirectSoundSupported());
        qsizetype from = 0;
        const double len = playPair(s, 0, 0, from);
        QVERIFY2(qAbs(len - (kGapMs + kToneMs)) < kSimpleSlackMs, qPrintable(QString("heard %1 ms").arg(len)));
        s.setDirectSound(true);
        QCOMPARE(lastPath(), QString("preloaded"));
    }

    // A skin whose empty-click sound is missing or no wave at all: the load fails, every fight
    // sound goes the simple way, that one is silent; a repaired skin loads again.
    void badFileFallsBackToSimplePath_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("missing") << QByteArray();
        QTest::newRow("not a wave") << QByteArray("RIFF\x10\0\0\0WAVEjunkjunkjunk", 20);
    }
    void badFileFallsBackToSimplePath()
    {
        QFETCH(QByteArray, content);
        makeSkin("user_blt.wav");
        if (!content.isEmpty()) {
            QFile f(m_skin + "user_blt.wav");
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(content) == content.size());
        }
        auto s = makeSound(true, true);
        QCOMPARE(lastPath(), QString("simple"));
        QVERIFY(!s->IsDirectSoundSupported());
        QVERIFY(s->DirectSound());

        qsizetype from = quietMark();
        s->Play(SoundEffects::UserEmpty);
        wait(500);
        QCOMPARE(m_rec->heardMs(from), 0.0);
        const double len = playPair(*s, 0, 0, from);
        QVERIFY2(qAbs(len - (kGapMs + kToneMs)) < kSimpleSlackMs, qPrintable(QString("heard %1 ms").arg(len)));

        makeSkin();
        s->setDirectSound(false);
        s->setDirectSound(true);
        QCOMPARE(lastPath(), QString("preloaded"));
        QVERIFY(s->IsDirectSoundSupported());
    }

    // A skin change rewrites the files in place: the reload plays the new sounds, not the ones
    // decoded for the old skin, and so does the simple path.
    void skinChangePlaysNewSounds()
    {
        auto s = makeSound(true, true);
        for (int ms : {kToneMs, 250, 400}) {
            if (ms == 250) {
                makeSkin(QString(), ms);
                s->setDirectSound(false);
                s->setDirectSound(true);
                wait(150);
            } else if (ms == 400) {
                s->setDirectSound(false);
                makeSkin(QString(), ms);
            }
            const qsizetype from = quietMark();
            s->Play(SoundEffects::EnemyAppears);
            wait(kToneMs + 400);
            const double len = m_rec->heardMs(from);
            QVERIFY2(qAbs(len - ms) < kSlackMs, qPrintable(QString("wanted %1 ms, heard %2").arg(ms).arg(len)));
        }
    }

    // Rapid fire costs the caller next to nothing, and the object goes away at once while
    // sounds are still playing, silencing them.
    void rapidFireAndReleaseWhilePlaying()
    {
        auto s = makeSound(true, true);
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < 200; ++i)
            s->Play(i % 7);
        QVERIFY2(t.elapsed() < 100, qPrintable(QString("200 calls took %1 ms").arg(t.elapsed())));
        wait(100);
        t.restart();
        s.reset();
        QVERIFY2(t.elapsed() < 1500, "release hung");
        const qsizetype from = quietMark();
        wait(300);
        QCOMPARE(m_rec->heardMs(from), 0.0);
    }
};

QTEST_MAIN(TestSound)
#include "test_sound.moc"
