// Sound effects against the rig's PulseAudio null sink: what is heard (recorded from the sink's
// monitor) for each path, the restart and overlap rules, the events, and the fallbacks.
#include "core/modGremlok.h"
#include "platform/SettingsStore.h"
#include "sound/SoundEffects.h"
#include "test_sound_support.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using soundtest::Recorder;
using soundtest::wait;
using soundtest::writeTone;

namespace {
const char* const kFiles[] = {"enmy_sht.wav", "enmy_apr.wav", "enmy_die.wav",
                              "user_sht.wav", "user_die.wav", "user_blt.wav"};
constexpr int kToneMs = 500;
constexpr int kGapMs = 200;
// Sound durations are judged with this much slack (scheduling, server buffering); sequences on
// the simple path, which reads each new file afresh, get more.
constexpr double kSlackMs = 90;
constexpr double kSimpleSlackMs = 150;
} // namespace

class TestSound : public QObject {
    Q_OBJECT

    QTemporaryDir m_tmp;
    QString m_trace;
    QString m_skin;
    std::unique_ptr<Recorder> m_rec;

    // A skin folder with every fight sound a tone of its own pitch; `without` is left out.
    void makeSkin(const QString& without = QString(), int ms = kToneMs)
    {
        QDir(m_skin).removeRecursively();
        QDir().mkpath(m_skin);
        int hz = 300;
        for (const char* f : kFiles) {
            if (without != QLatin1String(f))
                QVERIFY(writeTone(m_skin + QLatin1String(f), ms, hz));
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
        wait(150);   // let the preloaded players decode
        return s;
    }

    QString lastPath() const
    {
        QFile f(m_trace);
        if (!f.open(QIODevice::ReadOnly))
            return QString();
        QString last;
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

    void setEvent(const QString& name, const QString& path)
    {
        platform::SettingsStore& reg = *modGremlok::SettingsStore;
        const int32_t key = reg.OpenKey(platform::HKEY_CURRENT_USER,
                                        "AppEvents\\Schemes\\Apps\\Gremlok\\" + name + "\\.Current", 0);
        QCOMPARE(reg.SetValue(key, QString(), path), 0);
        reg.CloseKey(key);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_tmp.isValid());
        m_trace = m_tmp.filePath("trace.log");
        qputenv("GREMLOK_TRACE", m_trace.toLocal8Bit());
        m_skin = m_tmp.filePath("simskin.tmp") + '/';
        if (!Recorder::available())
            QSKIP("needs the rig's sound server (PULSE_SERVER) and parec");
        m_rec = std::make_unique<Recorder>();
        QVERIFY2(m_rec->start(), "cannot record the null sink's monitor");
    }

    void init() { makeSkin(); }

    // One sound heard on each path, at its own length; Play returns at once.
    void playSoundsOnBothPaths_data()
    {
        QTest::addColumn<bool>("direct");
        QTest::newRow("preloaded") << true;
        QTest::newRow("simple") << false;
    }
    void playSoundsOnBothPaths()
    {
        QFETCH(bool, direct);
        auto s = makeSound(true, direct);
        QVERIFY(!s->Disabled());
        QCOMPARE(lastPath(), direct ? QString("preloaded") : QString());
        const qsizetype from = quietMark();
        QElapsedTimer t;
        t.start();
        s->Play(SoundEffects::EnemyAppears);
        QVERIFY2(t.nsecsElapsed() < 20'000'000, qPrintable(QString("Play took %1 us").arg(t.nsecsElapsed() / 1000)));
        wait(kToneMs + 400);
        const double len = m_rec->heardMs(from);
        QVERIFY2(qAbs(len - kToneMs) < kSlackMs, qPrintable(QString("heard %1 ms").arg(len)));
    }

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
        QStringList heard;
        int missed = 0;
        for (int i = 0; i < 10; ++i) {
            const qsizetype from = quietMark();
            s->Play(id);
            wait(450);
            const double len = m_rec->heardMs(from);
            heard << QString::number(qRound(len));
            if (qAbs(len - 150) >= kSlackMs)
                ++missed;
        }
        QVERIFY2(missed == 0, qPrintable("heard (ms): " + heard.join(' ')));
    }

    // The preloaded rules: the player's shot and empty click start over, the others play on and
    // the repeat is lost. On the simple path every call cuts off the previous sound.
    void repeatRules_data()
    {
        QTest::addColumn<bool>("direct");
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("expectMs");
        const int restarted = kGapMs + kToneMs;
        QTest::newRow("preloaded shot restarts") << true << int(SoundEffects::UserShot) << restarted;
        QTest::newRow("preloaded empty click restarts") << true << int(SoundEffects::UserEmpty) << restarted;
        QTest::newRow("preloaded enemy shot plays on") << true << int(SoundEffects::EnemyShot) << kToneMs;
        QTest::newRow("preloaded enemy death plays on") << true << int(SoundEffects::EnemyDies) << kToneMs;
        QTest::newRow("preloaded player death plays on") << true << int(SoundEffects::UserDies) << kToneMs;
        QTest::newRow("simple enemy shot is cut off") << false << int(SoundEffects::EnemyShot) << restarted;
    }
    void repeatRules()
    {
        QFETCH(bool, direct);
        QFETCH(int, id);
        QFETCH(int, expectMs);
        auto s = makeSound(true, direct);
        const qsizetype from = quietMark();
        s->Play(id);
        wait(kGapMs);
        s->Play(id);
        wait(kToneMs + kGapMs + 400);
        const double len = m_rec->heardMs(from);
        QVERIFY2(qAbs(len - expectMs) < (direct ? kSlackMs : kSimpleSlackMs),
                 qPrintable(QString("heard %1 ms").arg(len)));
        // Never two copies of the same sound at once.
        QVERIFY2(m_rec->peakRms(from) < 0.3 * 0.707 * 1.2, "the sound doubled up");
    }

    // Different sounds overlap on the preloaded path (louder together), one at a time on the
    // simple path.
    void differentSoundsOverlapOnlyWhenPreloaded_data()
    {
        QTest::addColumn<bool>("direct");
        QTest::newRow("preloaded") << true;
        QTest::newRow("simple") << false;
    }
    void differentSoundsOverlapOnlyWhenPreloaded()
    {
        QFETCH(bool, direct);
        auto s = makeSound(true, direct);
        const qsizetype from = quietMark();
        s->Play(SoundEffects::EnemyAppears);
        wait(kGapMs);
        s->Play(SoundEffects::UserShot);
        wait(kToneMs + kGapMs + 400);
        const double single = 0.3 * 0.707;
        const double peak = m_rec->peakRms(from);
        if (direct)
            QVERIFY2(peak > single * 1.25, qPrintable(QString("peak rms %1").arg(peak)));
        else
            QVERIFY2(peak < single * 1.15, qPrintable(QString("peak rms %1").arg(peak)));
        const double len = m_rec->heardMs(from);
        QVERIFY2(qAbs(len - (kGapMs + kToneMs)) < (direct ? kSlackMs : kSimpleSlackMs),
                 qPrintable(QString("heard %1 ms").arg(len)));
    }

    // Fight sounds off: Play is silent on both paths but the events still sound; unknown ids and
    // empty event paths stay silent.
    void eventsAndSilence()
    {
        QVERIFY(writeTone(m_tmp.filePath("message.wav"), 300, 880));
        setEvent("Incoming Message", m_tmp.filePath("message.wav"));
        setEvent("Connected", QString());
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
            s->PlaySoundEvent(SoundEffects::IncomingGameRequest);   // never configured
            wait(500);
            QCOMPARE(m_rec->heardMs(from), 0.0);
        }
    }

    // Writing DirectSound while sound is off loads nothing, and switching sound on later does not
    // load either: fight sounds then go the simple way (a repeated enemy shot is cut off and
    // restarted instead of being lost).
    void soundOnAfterDirectSoundLoadsNothing()
    {
        auto s = std::make_unique<SoundEffects>();
        QFile::remove(m_trace);
        s->setDirectSound(true);
        s->setSoundEnabled(true);
        QCOMPARE(lastPath(), QString());
        QVERIFY(s->IsDirectSoundSupported());   // the device works, yet nothing is loaded
        const qsizetype from = quietMark();
        s->Play(SoundEffects::EnemyShot);
        wait(kGapMs);
        s->Play(SoundEffects::EnemyShot);
        wait(kToneMs + kGapMs + 400);
        const double len = m_rec->heardMs(from);
        QVERIFY2(qAbs(len - (kGapMs + kToneMs)) < kSimpleSlackMs, qPrintable(QString("heard %1 ms").arg(len)));
        s->setDirectSound(true);
        QCOMPARE(lastPath(), QString("preloaded"));
    }

    // A skin without the empty-click sound: loading fails, everything goes the simple way, the
    // missing sound is silent and the others still sound.
    void missingFileFallsBackToSimplePath()
    {
        makeSkin("user_blt.wav");
        auto s = makeSound(true, true);
        QCOMPARE(lastPath(), QString("simple"));
        QVERIFY(!s->IsDirectSoundSupported());
        QVERIFY(s->DirectSound());

        qsizetype from = quietMark();
        s->Play(SoundEffects::UserEmpty);
        wait(500);
        QCOMPARE(m_rec->heardMs(from), 0.0);

        from = quietMark();
        s->Play(SoundEffects::EnemyShot);
        wait(kGapMs);
        s->Play(SoundEffects::EnemyShot);   // simple path: starts over
        wait(kToneMs + kGapMs + 400);
        const double len = m_rec->heardMs(from);
        QVERIFY2(qAbs(len - (kGapMs + kToneMs)) < kSimpleSlackMs, qPrintable(QString("heard %1 ms").arg(len)));

        // A later successful load (the skin repaired) brings the preloaded path back.
        makeSkin();
        s->setDirectSound(false);
        s->setDirectSound(true);
        QCOMPARE(lastPath(), QString("preloaded"));
        QVERIFY(s->IsDirectSoundSupported());
    }

    // A file that is there but is no playable wave counts like a missing one.
    void unplayableFileFallsBack()
    {
        QFile f(m_skin + "enmy_die.wav");
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("RIFF\x10\0\0\0WAVEjunkjunkjunk", 20);
        f.close();
        auto s = makeSound(true, true);
        QCOMPARE(lastPath(), QString("simple"));
        QVERIFY(!s->IsDirectSoundSupported());
    }

    // A skin change rewrites the files in place; reloading must play the new sounds, not the
    // ones decoded for the old skin. The simple path also reads the file afresh.
    void reloadAfterSkinChangePlaysNewSounds()
    {
        auto s = makeSound(true, true);
        qsizetype from = quietMark();
        s->Play(SoundEffects::EnemyAppears);
        wait(kToneMs + 400);
        double len = m_rec->heardMs(from);
        QVERIFY2(qAbs(len - kToneMs) < kSlackMs, qPrintable(QString("heard %1 ms").arg(len)));

        makeSkin(QString(), 250);
        s->setDirectSound(false);
        s->setDirectSound(true);
        wait(150);
        from = quietMark();
        s->Play(SoundEffects::EnemyAppears);
        wait(kToneMs + 400);
        len = m_rec->heardMs(from);
        QVERIFY2(qAbs(len - 250) < kSlackMs, qPrintable(QString("heard %1 ms").arg(len)));

        s->setDirectSound(false);
        makeSkin(QString(), 400);
        from = quietMark();
        s->Play(SoundEffects::EnemyAppears);
        wait(kToneMs + 400);
        len = m_rec->heardMs(from);
        QVERIFY2(qAbs(len - 400) < kSimpleSlackMs, qPrintable(QString("simple path heard %1 ms").arg(len)));
    }

    // Rapid fire: many Play calls in a row cost the caller next to nothing, and the object goes
    // away cleanly while sounds are still playing.
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
