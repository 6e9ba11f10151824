// Difficulty levels: the attack interval read afresh at every choice, one check mark, the
// random level, names, and what goes to a connected peer (one message for a choice, none for
// a level that came from the peer).
#include "core/modGremlok.h"
#include "platform/SettingsStore.h"
#include "platform/Winsock.h"
#include "shell/frmMain.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

using namespace modGremlok;

namespace {

void setSetting(const QString& name, const QVariant& value)
{
    platform::SettingsStore& reg = *SettingsStore;
    const int32_t key = reg.OpenKey(platform::HKEY_CURRENT_USER, SettingsKey, 0);
    reg.SetValue(key, name, value);
    reg.CloseKey(key);
}

int checkedLevel()
{
    frmMain& m = frmMain::instance();
    int found = 0, count = 0;
    const QList<QAction*> items{m.mnuBeginner, m.mnuIntermediate, m.mnuExpert, m.mnuCustom};
    for (int i = 0; i < items.size(); ++i) {
        if (items[i]->isChecked()) {
            found = i + 1;
            ++count;
        }
    }
    return count == 1 ? found : -count;
}

} // namespace

class TestDifficulty : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        frmMain::release();
        QFile::remove(SettingsStore->fileName());
        SettingsStore.reset();
        Difficulty = 0;
        AttackInterval = 0;
    }

    void levelsReadTheirIntervalAtEveryChoice()
    {
        frmMain& m = frmMain::instance();
        Difficulty = 1;
        ApplyDifficulty(false);
        QCOMPARE(AttackInterval, int16_t(600));
        QCOMPARE(checkedLevel(), 1);
        m.mnuIntermediate_Click();
        QCOMPARE(AttackInterval, int16_t(500));
        QCOMPARE(Difficulty, uint8_t(2));
        QCOMPARE(checkedLevel(), 2);
        m.mnuExpert_Click();
        QCOMPARE(AttackInterval, int16_t(1));
        QCOMPARE(checkedLevel(), 3);

        // Changed behind the program's back: the next choice sees it; names mean nothing.
        setSetting(QStringLiteral("Expert"), 1000);
        m.mnuExpert_Click();
        QCOMPARE(AttackInterval, int16_t(1000));

        // Nonsense leaves the interval as it was; a zero would stop the enemy for good.
        setSetting(QStringLiteral("Beginner"), QStringLiteral("fast"));
        m.mnuBeginner_Click();
        QCOMPARE(AttackInterval, int16_t(1000));
        QCOMPARE(checkedLevel(), 1);
        setSetting(QStringLiteral("Beginner"), 0);
        m.mnuBeginner_Click();
        QVERIFY(AttackInterval >= 1);
    }

    void randomAndUnknownLevels()
    {
        frmMain& m = frmMain::instance();
        m.mnuBeginner_Click();
        m.mnuCustom_Click();
        QCOMPARE(Difficulty, uint8_t(4));
        QCOMPARE(checkedLevel(), 4);
        QCOMPARE(AttackInterval, int16_t(600));   // drawn per fight, not here

        Difficulty = 9;
        ApplyDifficulty(false);
        QCOMPARE(checkedLevel(), 4);
        QCOMPARE(Difficulty, uint8_t(9));

        Difficulty = 3;
        QCOMPARE(DifficultyName(), QStringLiteral("expert"));
        Difficulty = 1;
        QCOMPARE(DifficultyName(), QStringLiteral("beginner"));
        // Random has no name of its own: it becomes intermediate.
        Difficulty = 4;
        QCOMPARE(DifficultyName(), QStringLiteral("intermediate"));
        QCOMPARE(Difficulty, uint8_t(2));
        QCOMPARE(checkedLevel(), 2);
        QCOMPARE(AttackInterval, int16_t(500));
    }

    void peerSeesOwnChoicesOnly()
    {
        frmMain& m = frmMain::instance();
        QTcpServer peer;
        QVERIFY(peer.listen(QHostAddress::LocalHost, 0));
        QVERIFY(!m.Winsock->Connect(QStringLiteral("127.0.0.1"), peer.serverPort()));
        QTRY_VERIFY(peer.hasPendingConnections());
        QTcpSocket* other = peer.nextPendingConnection();
        QTRY_COMPARE(m.Winsock->State(), int(platform::Winsock::sckConnected));
        QByteArray got;
        connect(other, &QTcpSocket::readyRead, this, [&] { got += other->readAll(); });

        // Not connected as far as the menus know: nothing goes out.
        m.mnuExpert_Click();
        QTest::qWait(100);
        QVERIFY(got.isEmpty());

        m.mnuDisconnect->setVisible(true);
        m.mnuExpert_Click();
        QTRY_COMPARE(got, QByteArray("Difficulty:3", 13));

        // A level from the peer changes the mark but is not echoed; the mark is cleared after.
        Difficulty = 1;
        ApplyDifficulty(true);
        QCOMPARE(checkedLevel(), 1);
        QVERIFY(frmMain::Tag(m.mnuBeginner).isEmpty());
        m.mnuIntermediate_Click();
        QTRY_COMPARE(got, QByteArray("Difficulty:3\0Difficulty:2", 26));
        QTest::qWait(100);
        QCOMPARE(got.size(), 26);

        // Random sends nothing.
        m.mnuCustom_Click();
        QTest::qWait(100);
        QCOMPARE(got.size(), 26);
        m.Winsock->Close();
    }
};

QTEST_MAIN(TestDifficulty)
#include "test_difficulty.moc"
