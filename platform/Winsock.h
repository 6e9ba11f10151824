#pragma once
#include <QObject>
#include <QString>
#include <memory>

class QTcpServer;
class QTcpSocket;

namespace platform {

// A failure reported at once by a socket call (Number 0 means success); numbers are Winsock's.
struct SocketError {
    int Number = 0;
    QString Description;
    explicit operator bool() const { return Number != 0; }
};

// The program's one TCP socket: it either listens or holds one connection. Keeps the socket
// control's state numbers and error numbers; text travels as Latin-1, one byte a character.
//
// A connection request is offered through ConnectionRequest; a request the handler has not
// accepted or deferred by the time it returns is refused (the requester sees its connection
// closed). A deferred request is left unanswered: the requester keeps waiting until it gives up,
// this socket closes, or another request is accepted.
// After an Error event the state is sckError until Close.
class Winsock : public QObject {
    Q_OBJECT
public:
    enum State_ {
        sckClosed = 0, sckOpen = 1, sckListening = 2, sckConnectionPending = 3,
        sckResolvingHost = 4, sckHostResolved = 5, sckConnecting = 6, sckConnected = 7,
        sckClosing = 8, sckError = 9
    };
    enum ErrorNumber {
        sckAddressInUse = 10048, sckAddressNotAvailable = 10049, sckConnectAborted = 10053,
        sckConnectionReset = 10054, sckTimedout = 10060, sckConnectionRefused = 10061,
        sckHostUnreachable = 10065, sckHostNotFound = 11001, sckHostNotFoundTryAgain = 11002,
        sckBadState = 40006, sckInvalidOp = 40020
    };

    explicit Winsock(QObject* parent = nullptr);
    ~Winsock() override;

    int State() const;
    int LocalPort() const;
    void setLocalPort(int port);
    QString RemoteHost() const;
    void setRemoteHost(const QString& host);
    int RemotePort() const;
    void setRemotePort(int port);
    QString RemoteHostIP() const;
    QString LocalIP() const;

    SocketError Listen();
    SocketError Connect();                                 // to RemoteHost:RemotePort
    SocketError Connect(const QString& host, int port);
    SocketError Accept(int requestID);
    void Defer(int requestID);                             // neither accept nor refuse
    SocketError SendData(const QString& data);
    void GetData(QString& data);
    int BytesReceived() const;
    void Close();

    // Milliseconds before a connect attempt gives up with 10060 (default 20 s).
    void setConnectTimeout(int ms);
    int ConnectTimeout() const;

    // The connected socket's descriptor (-1 when there is none), for inspecting its options.
    qintptr SocketDescriptor() const;

    QString Tag;   // receive buffer of the peer protocol

signals:
    void Connected();                        // outgoing connection established
    void ConnectionRequest(int requestID);
    void DataArrival(int bytesTotal);
    void SendComplete();
    void Closed();                           // the peer closed the connection
    void Error(int Number, const QString& Description);

private:
    void onNewConnection();
    void adopt(QTcpSocket* socket, bool outgoing);
    void dropSocket();
    void refuseWaiting();
    void fail(int number, const QString& description);
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace platform
