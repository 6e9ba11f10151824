// The settings store: what is written reads back as the kind written, absent values give the
// caller's default, unconvertible values fail without touching the target, and writes are on
// disk at once.
#include "platform/SettingsStore.h"

#include <QFile>
#include <QSettings>
#include <QTest>
#include <tuple>

#include <sys/wait.h>
#include <unistd.h>

using platform::HKEY_CURRENT_USER;
using platform::SettingsStore;

class TestSettingsStore : public QObject {
    Q_OBJECT
private:
    const QString settingsKey = QStringLiteral("Software\\Gremlok\\Settings");

    void writeRaw(const QByteArray& contents)
    {
        SettingsStore probe;
        QFile f(probe.fileName());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(contents);
    }

private slots:
    void init()
    {
        SettingsStore s;
        QFile::remove(s.fileName());
    }

    void kindsRoundTripThroughAFreshStore()
    {
        const QString nickname = QStringLiteral("Zo\u00eb = \"the\" ; \\ hunter");
        {
            SettingsStore s;
            const int32_t k = s.OpenKey(HKEY_CURRENT_USER, settingsKey, 0);
            const int32_t sc = s.OpenKey(HKEY_CURRENT_USER, "Software\\Gremlok\\Scores", 0);
            QVERIFY(k != 0 && sc != 0);
            const QList<std::tuple<int32_t, const char*, QVariant>> rows{
                {k, "Blood", false}, {k, "Scramble", true}, {k, "Pointer", QVariant::fromValue(int16_t(6))},
                {k, "TimedFightStart", 86400}, {k, "Nickname", nickname}, {sc, "Score1", 123.456f},
                {sc, "Score2", 0.1f}, {sc, "Score5", 999999}};   // the default table writes whole numbers
            for (const auto& [key, name, value] : rows)
                QCOMPARE(s.SetValue(key, name, value), 0);
        }
        SettingsStore s;   // a new store reads the file, not a cache
        const int32_t k = s.OpenKey(HKEY_CURRENT_USER, settingsKey, 0);
        const int32_t sc = s.OpenKey(HKEY_CURRENT_USER, "Software\\Gremlok\\Scores", 0);
        bool blood = true, scramble = false;
        uint8_t pointer = 0;
        int32_t start = 0;
        QString nick;
        float f1 = 0, f2 = 0, f5 = 0;
        QVERIFY(s.ReadBool(k, "Blood", true, blood) && !blood);
        QVERIFY(s.ReadBool(k, "Scramble", false, scramble) && scramble);
        QVERIFY(s.ReadByte(k, "Pointer", 1, pointer) && pointer == 6);
        QVERIFY(s.ReadInt32(k, "TimedFightStart", 300, start) && start == 86400);
        QVERIFY(s.ReadString(k, "Nickname", QString(), nick));
        QCOMPARE(nick, nickname);
        QVERIFY(s.ReadFloat(sc, "Score1", -1, f1) && s.ReadFloat(sc, "Score2", -1, f2) && s.ReadFloat(sc, "Score5", -1, f5));
        QCOMPARE(f1, 123.456f);   // exactly the same float, so sorting compares the same
        QCOMPARE(f2, 0.1f);
        QCOMPARE(f5, 999999.0f);
    }

    void unconvertibleValuesFailAndKeepTheTarget_data()
    {
        QTest::addColumn<char>("kind");
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("text as a byte") << 'b' << QByteArray("expert");
        QTest::newRow("byte above 255") << 'b' << QByteArray("300");
        QTest::newRow("negative byte") << 'b' << QByteArray("-1");
        QTest::newRow("16-bit overflow") << 'w' << QByteArray("40000");
        QTest::newRow("fraction as integer") << 'l' << QByteArray("12.5");
        QTest::newRow("empty as number") << 'l' << QByteArray("");
        QTest::newRow("word as Boolean") << 'f' << QByteArray("perhaps");
    }

    void unconvertibleValuesFailAndKeepTheTarget()
    {
        QFETCH(char, kind);
        QFETCH(QByteArray, stored);
        writeRaw("[Settings]\nValue=" + stored + "\n");
        SettingsStore s;
        const int32_t k = s.OpenKey(HKEY_CURRENT_USER, settingsKey, 0);
        uint8_t b = 77;
        int16_t w = 77;
        int32_t l = 77;
        bool flag = true;
        const bool ok = kind == 'b' ? s.ReadByte(k, "Value", 1, b)
            : kind == 'w' ? s.ReadInt16(k, "Value", 45, w)
            : kind == 'l' ? s.ReadInt32(k, "Value", 300, l)
            : s.ReadBool(k, "Value", true, flag);
        QVERIFY(!ok);
        QVERIFY(b == 77 && w == 77 && l == 77 && flag);
    }

    void valuesPutInByHandAreSeenAtTheNextOpen()
    {
        SettingsStore s;
        int32_t k = s.OpenKey(HKEY_CURRENT_USER, settingsKey, 0);
        s.SetValue(k, "Sound", true);
        s.CloseKey(k);
        {
            // Another writer (a person with an editor) changes the file meanwhile.
            QSettings other(s.fileName(), QSettings::IniFormat);
            other.setValue("Settings/Beginner", "250");
        }
        k = s.OpenKey(HKEY_CURRENT_USER, settingsKey, 0);
        int16_t beginner = 0;
        QVERIFY(s.ReadInt16(k, "Beginner", 600, beginner));
        QCOMPARE(beginner, int16_t(250));
    }

    void aWriteSurvivesACrashRightAfterIt()
    {
        const pid_t child = fork();
        if (child == 0) {
            SettingsStore s;
            const int32_t k = s.OpenKey(HKEY_CURRENT_USER, settingsKey, 0);
            s.SetValue(k, "FirstRun", false);
            s.SetValue(k, "Nickname", QStringLiteral("crashy"));
            _exit(3);   // no destructors, no flush at exit
        }
        int status = 0;
        waitpid(child, &status, 0);
        QCOMPARE(WEXITSTATUS(status), 3);
        SettingsStore s;
        const int32_t k = s.OpenKey(HKEY_CURRENT_USER, settingsKey, 0);
        bool firstRun = true;
        QString nick;
        QVERIFY(s.ReadBool(k, "FirstRun", true, firstRun));
        QVERIFY(s.ReadString(k, "Nickname", QString(), nick));
        QCOMPARE(firstRun, false);
        QCOMPARE(nick, QStringLiteral("crashy"));
    }

    void aCorruptFileGivesDefaultsAndStaysWritable()
    {
        QByteArray garbage;
        for (int i = 0; i < 4096; ++i)
            garbage.append(char((i * 73 + 11) % 256));
        writeRaw(garbage);
        SettingsStore s;
        const int32_t k = s.OpenKey(HKEY_CURRENT_USER, settingsKey, 0);
        uint8_t difficulty = 9;
        s.ReadByte(k, "Difficulty", 1, difficulty);   // must not crash
        QCOMPARE(s.SetValue(k, "Difficulty", int16_t(3)), 0);
        SettingsStore again;
        const int32_t k2 = again.OpenKey(HKEY_CURRENT_USER, settingsKey, 0);
        QVERIFY(again.ReadByte(k2, "Difficulty", 1, difficulty));
        QCOMPARE(difficulty, uint8_t(3));
    }

    void soundSchemeKeysAndUnknownHandles()
    {
        writeRaw("[SoundEvents]\nConnected=/usr/share/sounds/hello.wav\n");
        SettingsStore s;
        const int32_t k = s.OpenKey(HKEY_CURRENT_USER,
            "AppEvents\\Schemes\\Apps\\Gremlok\\Connected\\.Current", 0);
        QCOMPARE(s.GetValue(k, QString(), QString()).toString(), QStringLiteral("/usr/share/sounds/hello.wav"));
        const int32_t m = s.OpenKey(HKEY_CURRENT_USER,
            "AppEvents\\Schemes\\Apps\\Gremlok\\Incoming Message\\.Current", 0);
        QCOMPARE(s.GetValue(m, QString(), QString()).toString(), QString());
        s.CloseKey(k);
        // A closed or never-opened handle reads nothing and writes nothing.
        QVERIFY(!s.GetValue(k, QString(), QStringLiteral("x")).isValid());
        QVERIFY(s.SetValue(12345, "Skin", QStringLiteral("x")) != 0);
        QCOMPARE(s.OpenKey(0x80000002, settingsKey, 0), 0);
    }
};

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "test_settingsstore.moc"
