// Start-up as a whole: a first start writes what it must, stored modes come back in their
// order before the command line is handled, and a value that does not convert loses only
// its own effect.
#include "core/modGremlok.h"
#include "platform/SettingsStore.h"
#include "shell/frmMain.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTcpServer>
#include <QTest>

using namespace modGremlok;

class TestStartup : public QObject {
    Q_OBJECT
private:
    QString iniPath;
    QString tracePath;

    void freshStart(const QByteArray& ini)
    {
        frmMain::release();
        SettingsStore.reset();
        QFile::remove(iniPath);
        QFile::remove(tracePath);
        if (!ini.isEmpty()) {
            QDir().mkpath(QFileInfo(iniPath).absolutePath());
            QFile f(iniPath);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(ini);
        }
    }
    QStringList traced(const QString& key) const
    {
        QFile f(tracePath);
        QStringList out;
        if (!f.open(QIODevice::ReadOnly))
            return out;
        for (const QByteArray& line : f.readAll().split('\n'))
            if (line.startsWith(key.toUtf8() + '\t'))
                out << QString::fromUtf8(line.mid(key.size() + 1));
        return out;
    }
    static int freePort()
    {
        QTcpServer s;
        s.listen(QHostAddress::LocalHost, 0);
        return s.serverPort();
    }

private slots:
    void initTestCase()
    {
        tracePath = qEnvironmentVariable("GREMLOK_TEST_DIR", "/tmp") + "/trace.log";
        qputenv("GREMLOK_TRACE", tracePath.toUtf8());
        iniPath = platform::SettingsStore().fileName();
    }

    // (What a first start writes is checked end to end.)
    void secondStartKeepsTheStoredNicknameAndTable()
    {
        freshStart("[Settings]\nFirstRun=false\nNickname=Hunter\n"
                   "[Scores]\nName5=Slowpoke\nScore5=1234.5\n");
        QVERIFY(Main());
        QCOMPARE(Nickname, QStringLiteral("Hunter"));
        QCOMPARE(FirstRun, false);
        QCOMPARE(SlowestBestTime, 1234.5f);
        QSettings ini(iniPath, QSettings::IniFormat);
        QCOMPARE(ini.value("Scores/Name5").toString(), QStringLiteral("Slowpoke"));
        QVERIFY(!ini.contains("Scores/Name1"));   // no default table written over a real one
    }

    void storedModesComeBackInOrderBeforeTheCommandLine()
    {
        const int port = freePort();
        freshStart("[Settings]\nFirstRun=false\nTimedFight=true\nListen=true\nPort="
                   + QByteArray::number(port) + "\n");
        CommandLine = QStringLiteral("/listen");
        QVERIFY(Main());
        CommandLine.clear();
        frmMain& m = frmMain::instance();
        QVERIFY(m.mnuTimedFight->isChecked());
        QVERIFY(m.mnuListen->isChecked());
        QVERIFY(!m.mnuFightNow->isEnabled());
        // Timed fights were switched on first, then listening; "/listen" changed nothing.
        const QStringList tips = traced("tray.tooltip");
        const int timed = tips.indexOf(QStringLiteral("Gremlok (timed fight)"));
        const int both = tips.indexOf(QRegularExpression(QStringLiteral("^Gremlok \\(timed fight/available\\).*")));
        QVERIFY2(timed >= 0 && both > timed, qPrintable(tips.join(" | ")));
        QCOMPARE(tips.filter(QStringLiteral("available")).size(), tips.size() - timed - 1);
    }

    void anUnconvertibleValueLosesOnlyItsOwnEffect()
    {
        Difficulty = 0;
        Blood = false;
        freshStart("[Settings]\nFirstRun=false\nDifficulty=expert\nBlood=maybe\nNickname=Ann\nPointer=999\n");
        Pointer = 0;
        QVERIFY(Main());
        QCOMPARE(Blood, false);               // kept its in-memory value, not the default
        QCOMPARE(Pointer, uint8_t(0));
        QCOMPARE(Nickname, QStringLiteral("Ann"));   // later steps still ran
        QCOMPARE(SlowestBestTime, 999999.0f);
    }

    // Values that would leave the game unplayable are mended: the difficulty menu's default
    // level with its check mark, an animation that still ticks, a table that still takes kills.
    void unplayableValuesAreMended_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<int>("animation");
        QTest::addColumn<float>("slowest");
        QTest::newRow("difficulty out of range") << QByteArray("Difficulty=9\n") << 45 << 999999.0f;
        QTest::newRow("difficulty as text") << QByteArray("Difficulty=expert\n") << 45 << 999999.0f;
        QTest::newRow("animation zero") << QByteArray("AnimationSpeed=0\n") << 1 << 999999.0f;
        QTest::newRow("animation negative") << QByteArray("AnimationSpeed=-40\n") << 1 << 999999.0f;
        QTest::newRow("animation as text") << QByteArray("AnimationSpeed=fast\n") << 45 << 999999.0f;
        QTest::newRow("fifth score as text") << QByteArray("[Scores]\nScore4=88\nScore5=abc\n") << 45 << 999999.0f;
        QTest::newRow("fifth score kept") << QByteArray("Difficulty=3\n[Scores]\nScore5=250\n") << 45 << 250.0f;
    }
    void unplayableValuesAreMended()
    {
        QFETCH(QByteArray, ini);
        QFETCH(int, animation);
        QFETCH(float, slowest);
        Difficulty = 0;
        AnimationSpeed = 0;
        SlowestBestTime = 0;
        freshStart("[Settings]\nFirstRun=false\n" + ini);
        QVERIFY(Main());
        frmMain& m = frmMain::instance();
        const bool expert = ini.contains("Difficulty=3");
        QCOMPARE(Difficulty, uint8_t(expert ? 3 : 1));
        QCOMPARE(m.mnuBeginner->isChecked(), !expert);
        QVERIFY(!m.mnuIntermediate->isChecked() && !m.mnuCustom->isChecked());
        QCOMPARE(AttackInterval, int16_t(expert ? 1 : 600));
        QCOMPARE(int(AnimationSpeed), animation);
        QCOMPARE(m.tmrAnimAttack->Interval(), animation);
        QCOMPARE(m.tmrAnimDie->Interval(), animation);
        QCOMPARE(SlowestBestTime, slowest);
        // A damaged table is not replaced by the default one.
        QSettings stored(iniPath, QSettings::IniFormat);
        QCOMPARE(stored.contains("Scores/Name1"), !ini.contains("[Scores]"));
    }

    void cleanupTestCase() { frmMain::release(); }
};

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
