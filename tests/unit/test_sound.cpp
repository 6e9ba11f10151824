// Sound effects against the rig's PulseAudio null sink, judged by what its monitor records,
// and the count of output devices as sinks come and go.
#include "core/modGremlok.h"
#include "platform/AudioDeviceWatch.h"
#include "platform/AudioOutput.h"
#include "platform/SettingsStore.h"
#include "sound/SoundEffects.h"
#include "test_sound_support.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using soundtest::wait;

namespace {
constexpr int kToneMs = 500, kGapMs = 200, kBothMs = kGapMs + kToneMs;
// Slack for heard durations; more on the simple path, which reads each new file afresh.
constexpr double kSlackMs = 90, kSimpleSlackMs = 150, kToneRms = 0.3 * 0.707;
} // namespace

#define VERIFY_HEARD(len, want, slack) do { const double heard_ = (len); \
    QVERIFY2(qAbs(heard_ - (want)) < (slack), qPrintable(QString("wanted %1 ms, heard %2").arg(want).arg(heard_))); } while (0)

class TestSound : public QObject {
    Q_OBJECT

    QTemporaryDir m_tmp;
    QString m_trace, m_skin;
    std::unique_ptr<soundtest::Recorder> m_rec;

    // A skin folder with every fight sound a tone of its own pitch; `without` is left out.
    void makeSkin(const QString& without = QString(), int ms = kToneMs)
    {
        QDir(m_skin).removeRecursively();
        QDir().mkpath(m_skin);
        int hz = 300;
        for (const char* f : {"enmy_sht.wav", "enmy_apr.wav", "enmy_die.wav", "user_sht.wav", "user_die.wav", "user_blt.wav"}) {
            if (without != QLatin1String(f))
                QVERIFY(soundtest::writeTone(m_skin + f, ms, hz));
            hz += 110;
        }
        modGremlok::SkinFolder = m_skin;
    }

    // The sound object as start-up leaves it, its preloaded sounds decoded.
    std::unique_ptr<SoundEffects> makeSound(bool soundOn, bool direct)
    {
        QFile::remove(m_trace);
        auto s = std::make_unique<SoundEffects>();
        s->setSoundEnabled(soundOn);
        s->setDirectSound(direct);
        wait(150);
        return s;
    }

    // The last path the object chose for the fight sounds, from the trace.
    QString lastPath() const
    {
        QFile f(m_trace);
        const QByteArray all = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        const qsizetype at = all.lastIndexOf("sound.path\t");
        return at < 0 ? QString() : QString::fromUtf8(all.mid(at + 11).split('\n').first());
    }

    // Waits until the sink has played out; a mark to measure from.
    qsizetype quietMark() { wait(250); return m_rec->mark(); }

    // Plays `first`, then `second` kGapMs later; the milliseconds heard.
    double playPair(SoundEffects& s, int first, int second, qsizetype& from)
    {
        from = quietMark();
        s.Play(first);
        wait(kGapMs);
        s.Play(second);
        wait(kBothMs + 400);
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
            return;   // what is heard cannot be judged; the device count still can
        m_rec = std::make_unique<soundtest::Recorder>();
        QVERIFY2(m_rec->start(), "cannot record the null sink's monitor");
    }

    void init()
    {
        if (!m_rec && !QByteArray(QTest::currentTestFunction()).startsWith("outputCount"))
            QSKIP("needs the rig's sound server (PULSE_SERVER) and parec");
        makeSkin();
    }

    // The output count follows sinks coming and going, each change reported once as
    // before -> now.
    void outputCountFollowsSinks()
    {
        if (qEnvironmentVariableIsEmpty("PULSE_SERVER") || QStandardPaths::findExecutable("pactl").isEmpty())
            QSKIP("needs the rig's sound server (PULSE_SERVER) and pactl (pulseaudio-utils)");
        auto pactl = [](const QStringList& args) {
            QProcess p;
            p.start("pactl", args);
            p.waitForFinished(5000);
            return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
        };
        QList<QPair<int, int>> changes;
        QObject receiver;
        connect(&platform::AudioDeviceWatch::instance(), &platform::AudioDeviceWatch::OutputsChanged, &receiver,
                [&](int before, int now) { changes.append({before, now}); });
        platform::AudioOutput out;
        const int sinks = int(pactl({"list", "short", "sinks"}).count('\n')) + 1;
        QTRY_COMPARE(out.OutputCount(), sinks);
        const QString module = pactl({"load-module", "module-null-sink", "sink_name=gremlok_second"});
        QTRY_COMPARE(out.OutputCount(), sinks + 1);
        pactl({"unload-module", module});
        QTRY_COMPARE(out.OutputCount(), sinks);
        wait(300);
        QCOMPARE(changes, (QList<QPair<int, int>>{{sinks, sinks + 1}, {sinks + 1, sinks}}));
    }

    // Without a server the count is 0 at once: start-up does not sit out its wait for an answer.
    void outputCountWithoutServer_data()
    {
        QTest::addColumn<QString>("address");
        QTest::newRow("socket missing") << QString("unix:%1/no-such-socket").arg(m_tmp.path());
        QTest::newRow("port refused") << QString("tcp:127.0.0.1:1");
    }
    void outputCountWithoutServer()
    {
        QFETCH(QString, address);
        const QByteArray rigServer = qgetenv("PULSE_SERVER");
        const auto restore = qScopeGuard([&] { qputenv("PULSE_SERVER", rigServer); });
        qputenv("PULSE_SERVER", address.toLocal8Bit());
        QElapsedTimer t;
        t.start();
        platform::AudioOutput out;
        // The wait for a server's answer is 2.5 s; a refused connection needs none of it.
        QVERIFY2(t.elapsed() < 2000, qPrintable(QString("made in %1 ms").arg(t.elapsed())));
        QCOMPARE(out.OutputCount(), 0);
    }

    // A sound replayed after it has ended is heard in full every time (a player reused after
    // its end could stay silent).
    void replayAfterEndIsHeardEveryTime_data()
    {
        QTest::addColumn<bool>("direct");
        QTest::addColumn<int>("id");
        QTest::newRow("preloaded enemy shot") << true << int(SoundEffects::EnemyShot);
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

    // A repeat kGapMs into a sound: shot and empty click start over, other preloaded sounds
    // play on, the simple path cuts off and starts over. Different sounds overlap only when
    // preloaded; never two copies of one sound.
    void repeatAndOverlapRules_data()
    {
        QTest::addColumn<bool>("direct");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("second");
        QTest::addColumn<int>("expectMs");
        QTest::addColumn<bool>("overlap");
        QTest::newRow("shot restarts") << true << 3 << 3 << kBothMs << false;
        QTest::newRow("empty click restarts") << true << 5 << 5 << kBothMs << false;
        QTest::newRow("enemy shot plays on") << true << 0 << 0 << kToneMs << false;
        QTest::newRow("simple cuts off") << false << 0 << 0 << kBothMs << false;
        QTest::newRow("preloaded overlap") << true << 1 << 3 << kBothMs << true;
        QTest::newRow("simple one at a time") << false << 1 << 3 << kBothMs << false;
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
        VERIFY_HEARD(playPair(*s, first, second, from), expectMs, direct ? kSlackMs : kSimpleSlackMs);
        const double peak = m_rec->peakRms(from);
        QVERIFY2(overlap ? peak > kToneRms * 1.25 : peak < kToneRms * 1.15, qPrintable(QString("peak rms %1").arg(peak)));
    }

    // Fight sounds off: Play is silent on both paths but the events still sound; DirectSound
    // written while sound was off loads only when written again; unknown ids, unconfigured and
    // empty event paths stay silent.
    void soundOffEventsAndLateLoad()
    {
        QVERIFY(soundtest::writeTone(m_tmp.filePath("message.wav"), 300, 880));
        platform::SettingsStore& reg = *modGremlok::SettingsStore;
        for (const auto& [event, wave] : {std::pair{"Incoming Message", m_tmp.filePath("message.wav")},
                                          std::pair{"Connected", QString()}}) {
            const int32_t key = reg.OpenKey(platform::HKEY_CURRENT_USER,
                                            QString("AppEvents\\Schemes\\Apps\\Gremlok\\%1\\.Current").arg(event), 0);
            QCOMPARE(reg.SetValue(key, QString(), wave), 0);
            reg.CloseKey(key);
        }
        for (bool direct : {true, false}) {
            auto s = makeSound(false, direct);
            qsizetype from = quietMark();
            for (int id = 0; id < 6; ++id)
                s->Play(id);
            wait(500);
            QCOMPARE(m_rec->heardMs(from), 0.0);
            s->PlaySoundEvent(SoundEffects::IncomingMessage);
            wait(700);
            VERIFY_HEARD(m_rec->heardMs(from), 300, kSlackMs);

            // Sound on after DirectSound was written loads nothing: a repeat is cut off, not lost.
            s->setSoundEnabled(true);
            QCOMPARE(lastPath(), QString());
            QVERIFY(s->IsDirectSoundSupported());
            VERIFY_HEARD(playPair(*s, 0, 0, from), kBothMs, kSimpleSlackMs);
            from = quietMark();
            s->Play(6);
            s->Play(-1);
            s->PlaySoundEvent(3);
            s->PlaySoundEvent(SoundEffects::Connected);
            s->PlaySoundEvent(SoundEffects::IncomingGameRequest);
            wait(500);
            QCOMPARE(m_rec->heardMs(from), 0.0);
            s->setDirectSound(true);
            QCOMPARE(lastPath(), QString("preloaded"));
        }
    }

    // An empty-click sound missing or not a wave: every fight sound goes the simple way, that
    // one silent; a repaired skin loads again.
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
        QFile f(m_skin + "user_blt.wav");
        if (!content.isEmpty())
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(content) == content.size());
        f.close();
        auto s = makeSound(true, true);
        QCOMPARE(lastPath(), QString("simple"));
        QVERIFY(!s->IsDirectSoundSupported());
        qsizetype from = quietMark();
        s->Play(SoundEffects::UserEmpty);
        wait(500);
        QCOMPARE(m_rec->heardMs(from), 0.0);
        VERIFY_HEARD(playPair(*s, 0, 0, from), kBothMs, kSimpleSlackMs);

        makeSkin();
        s->setDirectSound(false);
        s->setDirectSound(true);
        QCOMPARE(lastPath(), QString("preloaded"));
        QVERIFY(s->IsDirectSoundSupported());
    }

    // Skin files rewritten in place: the reload plays the new sounds, not the ones decoded
    // before, and so does the simple path.
    void skinChangePlaysNewSounds()
    {
        auto s = makeSound(true, true);
        auto heard = [&] {
            const qsizetype from = quietMark();
            s->Play(SoundEffects::EnemyAppears);
            wait(kToneMs + 400);
            return m_rec->heardMs(from);
        };
        VERIFY_HEARD(heard(), kToneMs, kSlackMs);
        makeSkin(QString(), 250);
        s->setDirectSound(false);
        s->setDirectSound(true);
        wait(150);
        VERIFY_HEARD(heard(), 250, kSlackMs);
        s->setDirectSound(false);
        makeSkin(QString(), 400);
        VERIFY_HEARD(heard(), 400, kSlackMs);
    }

    // Rapid fire, then release while sounds play silences them.
    void rapidFireAndReleaseWhilePlaying()
    {
        auto s = makeSound(true, true);
        for (int i = 0; i < 200; ++i)
            s->Play(i % 7);
        wait(100);
        s.reset();
        const qsizetype from = quietMark();
        wait(300);
        QCOMPARE(m_rec->heardMs(from), 0.0);
    }
};

QTEST_MAIN(TestSound)
#include "test_sound.moc"
