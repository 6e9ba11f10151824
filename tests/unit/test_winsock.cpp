// The socket adapter on loopback: states, the request/accept hand-shake, Latin-1 text both
// ways, close notification, Winsock error numbers, the connect time-out and TCP keep-alive.
#include "platform/Winsock.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

using platform::Winsock;

namespace {

int sockOpt(qintptr fd, int level, int name)
{
    int value = -1;
    socklen_t len = sizeof value;
    return ::getsockopt(int(fd), level, name, &value, &len) == 0 ? value : -1;
}

// The listening side's usual answer: stop listening, then take the request.
void acceptOnRequest(Winsock& listener)
{
    QObject::connect(&listener, &Winsock::ConnectionRequest, &listener, [&listener](int id) {
        listener.Close();
        QVERIFY(!listener.Accept(id));
    });
}

} // namespace

class TestWinsock : public QObject {
    Q_OBJECT
private slots:
    void listenAcceptExchangeAndClose()
    {
        Winsock listener, caller;
        listener.setLocalPort(0);
        QVERIFY(!listener.Listen());
        QCOMPARE(listener.State(), int(Winsock::sckListening));
        QVERIFY(listener.LocalPort() > 0);
        acceptOnRequest(listener);

        QSignalSpy connected(&caller, &Winsock::Connected);
        QVERIFY(!caller.Connect(QStringLiteral("127.0.0.1"), listener.LocalPort()));
        QTRY_COMPARE(connected.count(), 1);
        QCOMPARE(caller.State(), int(Winsock::sckConnected));
        QTRY_COMPARE(listener.State(), int(Winsock::sckConnected));
        QCOMPARE(listener.RemoteHostIP(), QStringLiteral("127.0.0.1"));
        for (Winsock* w : {&listener, &caller}) {        // both ends probe a silent peer
            QCOMPARE(sockOpt(w->SocketDescriptor(), SOL_SOCKET, SO_KEEPALIVE), 1);
            QVERIFY(sockOpt(w->SocketDescriptor(), IPPROTO_TCP, TCP_KEEPIDLE) <= 60);
        }

        // One byte a character, NUL terminators included, both ways.
        const QString message = QStringLiteral("Nickname:J\u00fcrgen") + QChar(0) + QStringLiteral("Pause") + QChar(0);
        QSignalSpy sent(&caller, &Winsock::SendComplete);
        QVERIFY(!caller.SendData(message));
        QTRY_COMPARE(listener.BytesReceived(), int(message.size()));
        QString got;
        listener.GetData(got);
        QCOMPARE(got, message);
        QTRY_VERIFY(sent.count() >= 1);
        QVERIFY(!listener.SendData(QStringLiteral("IWon") + QChar(0)));
        QTRY_COMPARE(caller.BytesReceived(), 5);

        // The other side sees Close once, in state closing, and may close from inside it.
        QSignalSpy closed(&listener, &Winsock::Closed);
        int stateAtClose = -1;
        connect(&listener, &Winsock::Closed, this, [&] { stateAtClose = listener.State(); listener.Close(); });
        caller.Close();
        QCOMPARE(caller.State(), int(Winsock::sckClosed));
        QTRY_COMPARE(closed.count(), 1);
        QCOMPARE(stateAtClose, int(Winsock::sckClosing));
        QTest::qWait(100);
        QCOMPARE(closed.count(), 1);
        QVERIFY(!listener.Listen());                       // the same port is free again
    }

    void unansweredRequestIsRefusedAndListeningGoesOn()
    {
        Winsock listener, caller;
        QVERIFY(!listener.Listen());
        QSignalSpy requests(&listener, &Winsock::ConnectionRequest);
        QSignalSpy closed(&caller, &Winsock::Closed);
        QVERIFY(!caller.Connect(QStringLiteral("127.0.0.1"), listener.LocalPort()));
        QTRY_COMPARE(requests.count(), 1);
        QTRY_COMPARE(closed.count(), 1);
        QCOMPARE(caller.State(), int(Winsock::sckClosing));
        QCOMPARE(listener.State(), int(Winsock::sckListening));
        // Accepting a request that is gone is an error, not a crash.
        QCOMPARE(listener.Accept(requests.at(0).at(0).toInt()).Number, int(Winsock::sckInvalidOp));
    }

    void errorNumbers()
    {
        Winsock w;
        QSignalSpy errors(&w, &Winsock::Error);
        int freePort;
        {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
            freePort = probe.serverPort();
        }
        QVERIFY(!w.Connect(QStringLiteral("127.0.0.1"), freePort));
        QTRY_COMPARE(errors.count(), 1);
        QCOMPARE(errors.at(0).at(0).toInt(), 10061);
        QCOMPARE(w.State(), int(Winsock::sckError));
        // A failed socket must be closed before it can be used again.
        QCOMPARE(w.Connect(QStringLiteral("127.0.0.1"), 1).Number, int(Winsock::sckInvalidOp));
        w.Close();
        QCOMPARE(w.State(), int(Winsock::sckClosed));

        QVERIFY(!w.Connect(QStringLiteral("no-such-host.invalid"), 2320));
        QTRY_COMPARE_WITH_TIMEOUT(errors.count(), 2, 15000);
        QCOMPARE(errors.at(1).at(0).toInt(), 11001);
        w.Close();

        // Calls that fail at once, raising no event.
        QCOMPARE(w.Connect(QString(), 2320).Number, 11001);
        QCOMPARE(w.Connect(QStringLiteral("127.0.0.1"), 0).Number, 10049);
        QCOMPARE(w.SendData(QStringLiteral("x")).Number, 40006);
        QVERIFY(!w.Listen());
        QCOMPARE(w.Listen().Number, int(Winsock::sckInvalidOp));
        Winsock other;
        other.setLocalPort(w.LocalPort());
        QCOMPARE(other.Listen().Number, 10048);
        QCOMPARE(errors.count(), 2);
    }

    void connectAttemptTimesOut()
    {
        // A listener that accepts nothing and whose queue is full drops new handshakes, so a
        // connect to it hangs like one to a machine that is switched off.
        QTcpServer server;
        server.setListenBacklogSize(0);
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        server.pauseAccepting();
        QTcpSocket fillers[4];
        for (QTcpSocket& f : fillers)
            f.connectToHost(QHostAddress::LocalHost, server.serverPort());
        QTest::qWait(200);

        Winsock w;
        w.setConnectTimeout(700);
        QSignalSpy errors(&w, &Winsock::Error);
        QSignalSpy connected(&w, &Winsock::Connected);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!w.Connect(QStringLiteral("127.0.0.1"), server.serverPort()));
        QTRY_COMPARE_WITH_TIMEOUT(errors.count(), 1, 10000);
        QCOMPARE(connected.count(), 0);
        QCOMPARE(errors.at(0).at(0).toInt(), 10060);
        QVERIFY2(clock.elapsed() >= 600, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(w.State(), int(Winsock::sckError));
    }

    void destroyedWhileConnected()
    {
        // At exit the socket goes away with a live link: the peer sees the close, and no
        // event reaches the deleted object.
        auto* listener = new Winsock;
        Winsock caller;
        QVERIFY(!listener->Listen());
        acceptOnRequest(*listener);
        QVERIFY(!caller.Connect(QStringLiteral("localhost"), listener->LocalPort()));
        QTRY_COMPARE(listener->State(), int(Winsock::sckConnected));
        QSignalSpy closed(&caller, &Winsock::Closed);
        delete listener;
        QTRY_COMPARE(closed.count(), 1);
    }
};

QTEST_MAIN(TestWinsock)
#include "test_winsock.moc"
