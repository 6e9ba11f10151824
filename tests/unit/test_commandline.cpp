// Command-line rules that are easy to get wrong: which spellings mean what, trimming and
// unquoting in place (and not at all while a link is up), and a hand-over whose sender gives
// up while the running copy is still busy with it.
#include "core/CommandLine.h"
#include "core/modGremlok.h"
#include "platform/SettingsStore.h"
#include "platform/SingleInstance.h"
#include "platform/Winsock.h"
#include "shell/frmMain.h"

#include <QLocalSocket>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <thread>

using namespace modGremlok;

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    void canonicalSpellings_data()
    {
        QTest::addColumn<QString>("arg");
        QTest::addColumn<QString>("canonical");
        QTest::newRow("--listen") << "--listen" << "/listen";
        QTest::newRow("--LISTEN") << "--LISTEN" << "/listen";
        QTest::newRow("--ip=") << "--ip=Host.example" << "/ip:Host.example";
        QTest::newRow("--ip blank") << "--ip  10.0.0.2" << "/ip: 10.0.0.2";
        QTest::newRow("--ipx") << "--ipx" << "--ipx";
        // A URL is decoded once: a cached name's own "%20" and "[1]" survive for the installer.
        QTest::newRow("url cache name") << "file:///tmp/Night%2520Ops%5B1%5D.ssz" << "/tmp/Night%20Ops[1].ssz";
        QTest::newRow("url blank") << "FILE:///tmp/My%20Skin.ssz" << "/tmp/My Skin.ssz";
        QTest::newRow("not a url") << "files/My%20Skin.ssz" << "files/My%20Skin.ssz";
    }
    void canonicalSpellings()
    {
        QFETCH(QString, arg);
        QFETCH(QString, canonical);
        QCOMPARE(CanonicalArgument(arg), canonical);
    }

    void trimmedUnquotedAnyCaseButNotWhileConnected()
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        const int port = probe.serverPort();
        probe.close();
        platform::SettingsStore& reg = *SettingsStore;
        const int32_t key = reg.OpenKey(platform::HKEY_CURRENT_USER, SettingsKey, 0);
        reg.SetValue(key, QStringLiteral("Port"), port);
        reg.CloseKey(key);
        frmMain& m = frmMain::instance();

        QString line = QStringLiteral("  \"/LiStEn\" \t");
        ProcessCommandLine(line);
        QCOMPARE(line, QStringLiteral("/LiStEn"));
        QVERIFY(m.mnuListen->isChecked());

        // A link being set up (connected is test_cmdline_connect's): the line is left exactly
        // as it came, nothing happens.
        m.mnuListen_Click();
        QTcpServer peer;
        QVERIFY(peer.listen(QHostAddress::LocalHost, 0));
        QVERIFY(!m.Winsock->Connect(QStringLiteral("127.0.0.1"), peer.serverPort()));
        line = QStringLiteral("  /listen ");
        ProcessCommandLine(line);
        QCOMPARE(line, QStringLiteral("  /listen "));
        QVERIFY(!m.mnuListen->isChecked());
        m.Winsock->Close();
    }

    void senderThatGivesUpDoesNotBringTheRunningCopyDown()
    {
        QTemporaryDir folder;
        platform::SingleInstance running(folder.path());
        QVERIFY(running.claim());
        QStringList handled;
        // The handler runs a nested loop, as a message box does; meanwhile the sender is gone.
        running.onCommandLine = [&](const QString& line) {
            handled << line;
            QTest::qWait(300);
        };
        std::thread impatient([&] {
            QLocalSocket s;
            s.connectToServer(folder.path() + QStringLiteral("/gremlok.sock"));
            if (s.waitForConnected(2000)) {
                s.write("/listen\n");
                s.waitForBytesWritten(2000);
            }
            s.abort();
        });
        QTRY_COMPARE(handled.size(), 1);
        impatient.join();
        QTest::qWait(400);   // the handler returns after its sender left

        // The next copy is answered after its whole line was handled, line breaks and all.
        std::atomic<bool> answered{false};
        std::thread patient([&] {
            platform::SingleInstance second(folder.path());
            answered = second.handOver(QStringLiteral("/ip:\nhost"));
        });
        QTRY_VERIFY(answered.load());
        patient.join();
        QCOMPARE(handled, QStringList({QStringLiteral("/listen"), QStringLiteral("/ip: host")}));
    }

    void cleanupTestCase() { frmMain::release(); }
};

QTEST_MAIN(TestCommandLine)
#include "test_commandline.moc"
