// No sound server at all (the server's socket leads nowhere): the sound object comes up at once,
// reports no device, chooses nothing it cannot use, plays nothing and goes away cleanly. (A
// server that never answers is the end-to-end test test_sound_stuck.)
#include "core/modGremlok.h"
#include "platform/SettingsStore.h"
#include "sound/SoundEffects.h"
#include "test_sound_support.h"

#include <QTemporaryDir>
#include <QtTest>

class TestSoundNoServer : public QObject {
    Q_OBJECT
    QTemporaryDir m_tmp;

private slots:
    void initTestCase()
    {
        QVERIFY(m_tmp.isValid());
        modGremlok::SkinFolder = m_tmp.path() + '/';
        for (const char* f : {"enmy_sht.wav", "enmy_apr.wav", "enmy_die.wav", "user_sht.wav", "user_die.wav", "user_blt.wav"})
            QVERIFY(soundtest::writeTone(modGremlok::SkinFolder + f, 200, 440));
        platform::SettingsStore& reg = *modGremlok::SettingsStore;
        const int32_t key = reg.OpenKey(platform::HKEY_CURRENT_USER,
                                        "AppEvents\\Schemes\\Apps\\Gremlok\\Connected\\.Current", 0);
        reg.SetValue(key, QString(), modGremlok::SkinFolder + "enmy_apr.wav");
        reg.CloseKey(key);
    }

    void startsSilentAndLeavesCleanly()
    {
        auto s = std::make_unique<SoundEffects>();
        s->setSoundEnabled(true);
        s->setDirectSound(true);

        QVERIFY(s->Disabled());
        QVERIFY(!s->IsDirectSoundSupported());
        QVERIFY(s->DirectSound());   // the user's choice is kept even though it cannot be used
        for (int i = 0; i < 50; ++i) {
            s->Play(i % 6);
            s->PlaySoundEvent(i % 3);
        }
        s->ReflectConfigChange();
        QVERIFY(s->Disabled());
        soundtest::wait(300);
        s->SetCooperativeLevel(0);
        s->setDirectSound(false);
        s->setDirectSound(true);
        QVERIFY(!s->IsDirectSoundSupported());
        s.reset();
    }
};

int main(int argc, char** argv)
{
    // A socket path that does not exist: every connection attempt is refused at once.
    qputenv("PULSE_SERVER", "unix:/nonexistent/gremlok-no-sound-server");
    QCoreApplication app(argc, argv);
    TestSoundNoServer test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_sound_noserver.moc"
