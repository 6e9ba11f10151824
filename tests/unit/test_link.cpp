// The peer link on the real main window against a raw peer on loopback: the listener's
// opening bytes and dispatch through the socket, fight requests, messages both ways, the
// accept question, the initiator's handshake, cancelling, refusal and errors.
#include "core/modGremlok.h"
#include "fight/Enemy.h"
#include "fight/frmDesktop.h"
#include "net/frmConnecting.h"
#include "net/frmInstMessage.h"
#include "net/frmSendMessage.h"
#include "platform/SettingsStore.h"
#include "platform/Winsock.h"
#include "platform/vbTrayIcon.h"
#include "shell/TimedFight.h"
#include "shell/frmMain.h"

#include <QAbstractButton>
#include <QApplication>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

using namespace modGremlok;

namespace {

frmMain& form() { return frmMain::instance(); }

void setPort(int port)
{
    const int32_t key = SettingsStore->OpenKey(platform::HKEY_CURRENT_USER, SettingsKey, 0);
    SettingsStore->SetValue(key, QStringLiteral("Port"), port);
    SettingsStore->CloseKey(key);
}

int freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

QByteArray z(const char* text) { return QByteArray(text) + '\0'; }

// Answers the modal box or prompt that comes up next; records its text.
QString boxText;
void answerSoon(const QString& promptAnswer = QString(), bool accept = true)
{
    QTimer::singleShot(50, [=] {
        QWidget* w = nullptr;
        for (QWidget* t : QApplication::topLevelWidgets())
            if (t->isVisible() && (qobject_cast<QMessageBox*>(t) || qobject_cast<QInputDialog*>(t)))
                w = t;
        if (!w)
            return answerSoon(promptAnswer, accept);
        if (auto* box = qobject_cast<QMessageBox*>(w)) {
            boxText = box->text();
            if (QAbstractButton* b = box->button(accept ? QMessageBox::Yes : QMessageBox::No))
                b->click();
            else
                box->accept();
        } else if (auto* prompt = qobject_cast<QInputDialog*>(w)) {
            boxText = prompt->labelText();
            prompt->setTextValue(promptAnswer);
            accept ? prompt->accept() : prompt->reject();
        }
    });
}

QString popupText()
{
    frmInstMessage* p = frmInstMessage::existing();
    return p ? p->lblTitle->text() + "|" + p->lblMessage->text() : QString();
}

} // namespace

class TestLink : public QObject {
    Q_OBJECT
    QPointer<QTcpSocket> peer;
    QByteArray got;

    void watch(QTcpSocket* s)
    {
        peer = s;
        got.clear();
        connect(s, &QTcpSocket::readyRead, this, [this] { got += peer->readAll(); });
    }

private slots:
    void init()
    {
        frmMain::release();
        StopFightTimer();
        IsWin2000OrLater = false;   // the popup path: what it shows can be read back
        DialogOpen = FightInProgress = MessageBoxOpen = CommandLineConnect = false;
        OpponentAway = IsInitiator = false;
        AutoAccept = true;
        OpponentNickname.clear();
        Nickname = QStringLiteral("Hunter");
        MultiplayerFightStart = 300;
        MultiplayerFightLength = 600;
        TimedFightStart = TimedFightLength = 300;
        Difficulty = SavedDifficulty = 2;
        ApplyDifficulty(false);
        boxText.clear();
    }
    void cleanup()
    {
        if (frmMain::isLoaded() && form().mnuDisconnect->isVisible())
            form().mnuDisconnect_Click();
        delete peer;
        peer = nullptr;
        frmInstMessage::release();
    }

    void noTrayMeansThePopup()
    {
        // Balloons switched on, but the offscreen desktop has no tray to show them from.
        form();
        IsWin2000OrLater = true;
        ShowBalloon(QStringLiteral("Gremlok"), QStringLiteral("Rival is away."), 10000);
        QCOMPARE(popupText(), QStringLiteral("Gremlok|Rival is away."));
    }

    void listenerOpensAndDispatches()
    {
        frmMain& m = form();
        Difficulty = 4;                                    // Random: the listener goes to Intermediate
        ApplyDifficulty(false);
        const int port = freePort();
        setPort(port);
        m.mnuListen_Click();
        QVERIFY(m.mnuListen->isChecked());
        watch(new QTcpSocket(this));
        peer->connectToHost(QHostAddress::LocalHost, quint16(port));
        QTRY_COMPARE(got.size(), 46);
        QCOMPARE(got, z("Difficulty:2") + z("Interval:300,600") + z("Nickname:Hunter"));
        QVERIFY(m.mnuIntermediate->isChecked() && m.mnuDisconnect->isVisible() && !m.mnuListen->isVisible());
        QCOMPARE(m.Winsock->State(), int(platform::Winsock::sckConnected));   // no second listener

        // The greeting split over two reads, with an empty name. (The wire format alone, the
        // garbage, malformed messages and the flood are test_peerlink's and test_link_raw's.)
        peer->write("Nick");
        peer->flush();
        QTest::qWait(50);
        QVERIFY(OpponentNickname.isEmpty());
        peer->write(z("name:"));
        QTRY_COMPARE(OpponentNickname, QStringLiteral("Anonymous"));
        QVERIFY(popupText().contains("Connected to Anonymous [127.0.0.1]\nInterval: 5 to 16 minutes\nDifficulty: intermediate"));
        QCOMPARE(TimedFight::RemainingTime(), -1);         // the listener runs no timer

        // A bad setting does not stop the good one after it in the same read.
        peer->write(z("Difficulty:9") + z("Difficulty:3"));
        QTRY_VERIFY(m.mnuExpert->isChecked());

        // A fight request: refused while busy, granted otherwise.
        got.clear();
        DialogOpen = true;
        peer->write(z("StartNow"));
        QTRY_COMPARE(got, z("StartDenied"));
        DialogOpen = false;
        peer->write(z("StartNow"));
        QTRY_COMPARE(got, z("StartDenied") + z("StartOK"));
        QTRY_VERIFY(FightInProgress);
        m.tmrAnimAttack->setEnabled(false);
        frmDesktop::instance().EndFight();
        QTRY_VERIFY(!FightInProgress);

        // A long message: the longest time, wrapped within the width limit.
        peer->write(z(("Msg:" + QByteArray(300, 'm')).constData()));
        QTRY_COMPARE(frmInstMessage::existing()->tmrTimeOut->Interval(), 29050);
        QCOMPARE(frmInstMessage::existing()->width(), frmInstMessage::MaxWidth);
        // ...and a word with no blanks wraps too instead of running out of the frame.
        {
            QLabel* text = frmInstMessage::existing()->lblMessage;
            const QRect needed = text->fontMetrics().boundingRect(QRect(0, 0, text->width(), 10000),
                                                                  Qt::TextWordWrap, text->text());
            QVERIFY2(needed.width() <= text->width(), qPrintable(QString::number(needed.width())));
            QVERIFY(text->geometry().right() < frmInstMessage::MaxWidth);
            QVERIFY(text->height() >= needed.height());
        }

        // Sending: blank text goes nowhere, line breaks go as CR LF, at most 254 characters.
        got.clear();
        m.mnuSendMessage_Click();
        frmSendMessage::instance().txtMessage->setPlainText(QStringLiteral("  \n "));
        frmSendMessage::instance().cmdSend_Click();
        QTRY_VERIFY(!frmSendMessage::isLoaded());
        m.mnuSendMessage_Click();
        frmSendMessage::instance().txtMessage->setPlainText(QStringLiteral("hi\nthere"));
        frmSendMessage::instance().cmdSend_Click();
        QTRY_COMPARE(got, z("Msg:hi\r\nthere"));
        m.mnuSendMessage_Click();
        frmSendMessage::instance().txtMessage->setPlainText(QString(300, QLatin1Char('y')));
        QCOMPARE(frmSendMessage::instance().MessageText().size(), 254);
        frmSendMessage::instance().cmdCancel_Click();
    }

    void requestDuringFightIsLeftWaiting()
    {
        frmMain& m = form();
        const int port = freePort();
        setPort(port);
        m.mnuListen_Click();
        FightInProgress = true;
        watch(new QTcpSocket(this));
        peer->connectToHost(QHostAddress::LocalHost, quint16(port));
        QTest::qWait(400);
        QCOMPARE(peer->state(), QAbstractSocket::ConnectedState);   // not refused
        QVERIFY(got.isEmpty() && !m.mnuDisconnect->isVisible());
        FightInProgress = false;
        m.mnuListen_Click();                                         // closing answers it
        QTRY_COMPARE(peer->state(), QAbstractSocket::UnconnectedState);
    }

    void acceptQuestion()
    {
        frmMain& m = form();
        AutoAccept = false;
        const int port = freePort();
        setPort(port);
        m.mnuListen_Click();
        bool attention = false;
        QTimer::singleShot(30, [&] { attention = m.SysTray->Attention() && MessageBoxOpen; });
        answerSoon(QString(), false);                      // No: the requester is closed
        watch(new QTcpSocket(this));
        peer->connectToHost(QHostAddress::LocalHost, quint16(port));
        QTRY_VERIFY(!boxText.isEmpty());
        QCOMPARE(boxText, QStringLiteral("You have an incoming game request from 127.0.0.1.\r\nWould you like to accept?"));
        QVERIFY(attention);
        QTRY_COMPARE(peer->state(), QAbstractSocket::UnconnectedState);
        QVERIFY(!m.SysTray->Attention() && !MessageBoxOpen && !m.mnuDisconnect->isVisible());
        QCOMPARE(m.Winsock->State(), int(platform::Winsock::sckListening));

        answerSoon(QString(), true);                       // Yes: the opening follows
        watch(new QTcpSocket(this));
        peer->connectToHost(QHostAddress::LocalHost, quint16(port));
        QTRY_COMPARE(got.size(), 46);
        QVERIFY(m.mnuDisconnect->isVisible());
    }

    void initiatorHandshake()
    {
        frmMain& m = form();
        setPort(freePort());
        m.mnuListen_Click();
        m.mnuTimedFight_Click();
        // A cancelled prompt leaves everything as it was.
        answerSoon(QString(), false);
        m.mnuConnect_Click();
        QVERIFY(boxText.contains("(such as 123.45.6.78 or "));
        QVERIFY(m.mnuListen->isChecked() && m.mnuTimedFight->isChecked());
        m.mnuListen_Click();                               // the peer below takes the port

        QTcpServer listener;
        QVERIFY(listener.listen(QHostAddress::LocalHost, 0));
        setPort(listener.serverPort());

        answerSoon(QStringLiteral("127.0.0.1"));
        m.mnuConnect_Click();
        QVERIFY(IsInitiator && frmConnecting::isLoaded() && !m.mnuTimedFight->isChecked());
        QTRY_VERIFY(listener.hasPendingConnections());
        watch(listener.nextPendingConnection());
        QTRY_VERIFY(m.mnuDisconnect->isVisible());
        QVERIFY(got.isEmpty());                            // the initiator waits for the greeting
        peer->write(z("Difficulty:1") + z("Interval:60,0") + z("Nickname:Rival"));
        QTRY_COMPARE(got, z("Nickname:Hunter"));
        QVERIFY(m.mnuBeginner->isChecked() && !frmConnecting::isLoaded());
        QCOMPARE(OpponentNickname, QStringLiteral("Rival"));
        const int left = TimedFight::RemainingTime();
        QVERIFY2(left > 50000 && left < 70000, qPrintable(QString::number(left)));

        StopFightTimer();
        peer->write(z("Pause") + z("StartDenied"));        // the peer away: no new try
        QTRY_VERIFY(OpponentAway);
        QTest::qWait(50);
        QCOMPARE(TimedFight::RemainingTime(), -1);
        peer->write(z("Resume"));
        QTRY_VERIFY(TimedFight::RemainingTime() > 0);

        // Fights as soon as possible, but a busy peer is asked again a second later, not at
        // once (which would trade messages as fast as the link carries them).
        peer->write(z("Interval:0,0"));
        QTRY_COMPARE(MultiplayerFightStart, 0);
        StopFightTimer();
        peer->write(z("StartDenied"));
        QTRY_VERIFY(TimedFight::RemainingTime() >= 0);
        QVERIFY2(TimedFight::RemainingTime() > 500, qPrintable(QString::number(TimedFight::RemainingTime())));
        StopFightTimer();
    }

    void commandLineConnectCancelled()
    {
        frmMain& m = form();
        setPort(freePort());
        m.mnuListen_Click();
        QTcpServer listener;
        QVERIFY(listener.listen(QHostAddress::LocalHost, 0));
        setPort(listener.serverPort());
        // (The icon, tooltip and window while waiting are test_cmdline_connect's.)
        m.ConnectFromCommandLine(QStringLiteral("  127.0.0.1 "));
        QVERIFY(!CommandLineConnect && IsInitiator && !m.mnuListen->isChecked());
        QTRY_VERIFY(listener.hasPendingConnections());
        QTRY_VERIFY(m.mnuDisconnect->isVisible());
        // Cancel in the connecting window: the attempt goes, listening comes back.
        setPort(freePort());
        frmConnecting::instance().cmdCancel_Click();
        QVERIFY(!m.mnuDisconnect->isVisible() && m.mnuListen->isChecked());
        QTRY_VERIFY(!frmConnecting::isLoaded());
        m.mnuListen_Click();
    }

    void refusalAndErrorsTearDown()
    {
        frmMain& m = form();
        // A listener that closes before greeting: the denial.
        QTcpServer listener;
        QVERIFY(listener.listen(QHostAddress::LocalHost, 0));
        connect(&listener, &QTcpServer::newConnection, &listener, [&] { delete listener.nextPendingConnection(); });
        setPort(listener.serverPort());
        answerSoon(QStringLiteral("127.0.0.1"));
        m.mnuConnect_Click();
        answerSoon();
        QTRY_COMPARE(boxText, QStringLiteral("Your opponent has denied your request to play Gremlok."));
        QTRY_VERIFY(!frmConnecting::isLoaded());
        QVERIFY(!m.mnuDisconnect->isVisible() && m.mnuConnect->isEnabled() && !MessageBoxOpen);

        // Nobody there: refused.
        setPort(freePort());
        answerSoon(QStringLiteral("127.0.0.1"));
        m.mnuConnect_Click();
        boxText.clear();
        answerSoon();
        QTRY_VERIFY(boxText.startsWith("Gremlok could not connect to this computer."));
        QTRY_COMPARE(m.Winsock->State(), int(platform::Winsock::sckClosed));
        QVERIFY(!frmConnecting::isLoaded());
    }
};

QTEST_MAIN(TestLink)
#include "test_link.moc"
