// No sound server at all (the server's socket leads nowhere): the sound object comes up at once,
// reports no device, chooses nothing it cannot use, plays nothing and goes away cleanly. A
// server that accepts the connection but never answers holds creation and release up for a
// bounded time only (the sound library itself would wait half a minute).
#include "core/modGremlok.h"
#include "platform/SettingsStore.h"
#include "sound/SoundEffects.h"
#include "test_sound_support.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <cstdio>
#include <cstdlib>

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
        QElapsedTimer t;
        t.start();
        auto s = std::make_unique<SoundEffects>();
        s->setSoundEnabled(true);
        s->setDirectSound(true);
        QVERIFY2(t.elapsed() < 2000, qPrintable(QString("creation took %1 ms").arg(t.elapsed())));

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

        t.restart();
        s.reset();
        QVERIFY2(t.elapsed() < 1000, qPrintable(QString("release took %1 ms").arg(t.elapsed())));
    }

    // Runs this program again against a server that never answers (see childMain).
    void silentServerHoldsUpOnlyBriefly()
    {
        QLocalServer server;
        server.setSocketOptions(QLocalServer::UserAccessOption);
        const QString path = m_tmp.filePath("silent.sock");
        QVERIFY(server.listen(path));
        QList<QLocalSocket*> held;
        connect(&server, &QLocalServer::newConnection, [&] {
            while (server.hasPendingConnections())
                held << server.nextPendingConnection();
        });
        QProcess child;
        child.setProcessChannelMode(QProcess::MergedChannels);
        QElapsedTimer t;
        t.start();
        child.start(QCoreApplication::applicationFilePath(), {"--silent-server", path});
        QVERIFY(child.waitForStarted());
        while (child.state() != QProcess::NotRunning && t.elapsed() < 15000)
            soundtest::wait(20);
        const QString out = QString::fromLocal8Bit(child.readAll());
        if (child.state() != QProcess::NotRunning) {
            child.kill();
            child.waitForFinished();
            QFAIL(qPrintable("the program hung with a silent server: " + out));
        }
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), 0);
        const QRegularExpressionMatch m =
            QRegularExpression("created (\\d+) disabled (\\d) released (\\d+)").match(out);
        QVERIFY2(m.hasMatch(), qPrintable(out));
        QVERIFY2(m.captured(1).toInt() < 4000, qPrintable(out));
        QCOMPARE(m.captured(2), QString("1"));
        QVERIFY2(m.captured(3).toInt() < 3000, qPrintable(out));
    }
};

namespace {
// The child of silentServerHoldsUpOnlyBriefly: creates, uses and releases the sound object,
// printing how long each took, then ends as the program would.
int childMain(int argc, char** argv, const char* socket)
{
    qputenv("PULSE_SERVER", QByteArray("unix:") + socket);
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    modGremlok::SkinFolder = dir.path() + '/';
    QElapsedTimer t;
    t.start();
    auto s = std::make_unique<SoundEffects>();
    s->setSoundEnabled(true);
    s->setDirectSound(true);
    const qint64 created = t.elapsed();
    for (int id = 0; id < 6; ++id)
        s->Play(id);
    s->PlaySoundEvent(0);
    const bool disabled = s->Disabled();
    t.restart();
    s.reset();
    printf("created %lld disabled %d released %lld\n", created, int(disabled), t.elapsed());
    fflush(stdout);
    // Qt's own device list is still being built on the abandoned audio thread, under a lock
    // that Qt's exit handlers need, until the sound library gives up (30 s). That wait belongs
    // to Qt, not to the sound object measured here, so the child ends without the handlers.
    std::_Exit(0);
}
} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--silent-server") == 0)
        return childMain(1, argv, argv[2]);
    // A socket path that does not exist: every connection attempt is refused at once.
    qputenv("PULSE_SERVER", "unix:/nonexistent/gremlok-no-sound-server");
    QCoreApplication app(argc, argv);
    TestSoundNoServer test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_sound_noserver.moc"
