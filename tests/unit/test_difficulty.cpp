// Difficulty levels: the interval read afresh at every choice, one check mark, random and
// unknown levels, and what reaches a connected peer.
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
    const int32_t key = SettingsStore->OpenKey(platform::HKEY_CURRENT_USER, SettingsKey, 0);
    SettingsStore->SetValue(key, name, value);
    SettingsStore->CloseKey(key);
}

// The check marks of beginner, intermediate, expert and random, e.g. "0010" for expert.
QString marks()
{
    frmMain& m = frmMain::instance();
    QString s;
    for (QAction* a : {m.mnuBeginner, m.mnuIntermediate, m.mnuExpert, m.mnuCustom})
        s += a->isChecked() ? '1' : '0';
    return s;
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
        QCOMPARE(marks(), QStringLiteral("1000"));
        m.mnuExpert_Click();
        QCOMPARE(AttackInterval, int16_t(1));
        setSetting(QStringLiteral("Expert"), 1000);      // changed behind the program's back
        m.mnuExpert_Click();
        QCOMPARE(AttackInterval, int16_t(1000));
        // Nonsense keeps the interval; zero would stop the enemy's attack for good.
        setSetting(QStringLiteral("Beginner"), QStringLiteral("fast"));
        m.mnuBeginner_Click();
        QCOMPARE(AttackInterval, int16_t(1000));
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
        QCOMPARE(marks(), QStringLiteral("0001"));
        QCOMPARE(AttackInterval, int16_t(600));          // drawn per fight, not here
        Difficulty = 9;
        ApplyDifficulty(false);
        QCOMPARE(marks(), QStringLiteral("0001"));
        Difficulty = 4;                                  // asking random's name makes it intermediate
        QCOMPARE(DifficultyName(), QStringLiteral("intermediate"));
        QCOMPARE(Difficulty, uint8_t(2));
        QCOMPARE(marks(), QStringLiteral("0100"));
        QCOMPARE(AttackInterval, int16_t(500));
    }

    void peerSeesOwnChoicesOnly()
    {
        frmMain& m = frmMain::instance();
        QTcpServer peer;
        QVERIFY(peer.listen(QHostAddress::LocalHost, 0));
        QVERIFY(!m.Winsock->Connect(QStringLiteral("127.0.0.1"), peer.serverPort()));
        QTRY_VERIFY(peer.hasPendingConnections() && m.Winsock->State() == platform::Winsock::sckConnected);
        QTcpSocket* other = peer.nextPendingConnection();
        QByteArray got;
        connect(other, &QTcpSocket::readyRead, this, [&] { got += other->readAll(); });

        m.mnuDisconnect->setVisible(true);
        m.mnuExpert_Click();
        QTRY_COMPARE(got, QByteArray("Difficulty:3", 13));
        Difficulty = 1;
        ApplyDifficulty(true);                            // from the peer: marked, not echoed
        QCOMPARE(marks(), QStringLiteral("1000"));
        QVERIFY(frmMain::Tag(m.mnuBeginner).isEmpty());
        m.mnuIntermediate_Click();
        m.mnuCustom_Click();                              // random sends nothing
        QTRY_COMPARE(got, QByteArray("Difficulty:3\0Difficulty:2", 26));
        QTest::qWait(100);
        QCOMPARE(got.size(), 26);
        m.Winsock->Close();
    }
};

QTEST_MAIN(TestDifficulty)
#include "test_difficulty.moc"
