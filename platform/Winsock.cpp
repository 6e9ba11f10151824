#include "platform/Winsock.h"

#include <QHostAddress>
#include <QList>
#include <QMap>
#include <QNetworkInterface>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#ifdef Q_OS_LINUX
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#endif

namespace platform {

namespace {

QString describe(int number)
{
    switch (number) {
    case Winsock::sckAddressInUse: return QStringLiteral("Address in use");
    case Winsock::sckAddressNotAvailable: return QStringLiteral("Address not available from the local machine");
    case Winsock::sckConnectAborted: return QStringLiteral("Connection is aborted due to timeout or other failure");
    case Winsock::sckConnectionReset: return QStringLiteral("Connection is reset by remote side");
    case Winsock::sckTimedout: return QStringLiteral("Connection is timed out");
    case Winsock::sckConnectionRefused: return QStringLiteral("Connection is forcefully rejected");
    case Winsock::sckHostUnreachable: return QStringLiteral("No route to host");
    case Winsock::sckHostNotFound: return QStringLiteral("Authoritative answer: Host not found");
    case Winsock::sckHostNotFoundTryAgain: return QStringLiteral("Non-Authoritative answer: Host not found");
    case Winsock::sckBadState: return QStringLiteral("Wrong protocol or connection state for the requested transaction or request");
    case Winsock::sckInvalidOp: return QStringLiteral("Invalid operation at current state");
    default: return QStringLiteral("Unexpected network error");
    }
}

SocketError error(int number)
{
    return SocketError{number, describe(number)};
}

int numberFor(QAbstractSocket::SocketError e, bool connecting)
{
    switch (e) {
    case QAbstractSocket::ConnectionRefusedError: return Winsock::sckConnectionRefused;
    case QAbstractSocket::HostNotFoundError: return Winsock::sckHostNotFound;
    case QAbstractSocket::SocketTimeoutError: return Winsock::sckTimedout;
    case QAbstractSocket::SocketAddressNotAvailableError: return Winsock::sckAddressNotAvailable;
    case QAbstractSocket::AddressInUseError: return Winsock::sckAddressInUse;
    case QAbstractSocket::NetworkError:
        return connecting ? int(Winsock::sckHostUnreachable) : int(Winsock::sckConnectAborted);
    case QAbstractSocket::RemoteHostClosedError: return Winsock::sckConnectionReset;
    default: return Winsock::sckConnectAborted;
    }
}

QString addressText(const QHostAddress& a)
{
    bool isV4 = false;
    const quint32 v4 = a.toIPv4Address(&isV4);
    return isV4 ? QHostAddress(v4).toString() : a.toString();
}

// A peer that vanished without closing (cable pulled, machine off) is noticed after about a
// minute and a half of silence instead of never; the wire protocol stays as it is.
void enableKeepAlive(QTcpSocket* s)
{
    s->setSocketOption(QAbstractSocket::KeepAliveOption, 1);
#ifdef Q_OS_LINUX
    const qintptr fd = s->socketDescriptor();
    if (fd < 0)
        return;
    const int idle = 30, interval = 10, count = 5;
    ::setsockopt(int(fd), IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle);
    ::setsockopt(int(fd), IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval);
    ::setsockopt(int(fd), IPPROTO_TCP, TCP_KEEPCNT, &count, sizeof count);
#endif
}

// Lets a socket we no longer want finish sending, then goes; never lingers for long.
void retire(QTcpSocket* s, QObject* owner)
{
    if (!s)
        return;
    s->disconnect(owner);
    if (s->state() == QAbstractSocket::ConnectedState) {
        QObject::connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
        QTimer::singleShot(5000, s, [s] { s->abort(); s->deleteLater(); });
        s->disconnectFromHost();
    } else {
        s->abort();
        s->deleteLater();
    }
}

} // namespace

struct Winsock::Impl {
    int state = sckClosed;
    int localPort = 0;
    int remotePort = 0;
    QString remoteHost;
    QTcpServer* server = nullptr;
    QTcpSocket* socket = nullptr;
    QMap<int, QTcpSocket*> pending;   // connection requests not yet accepted
    QList<int> offering;              // requests whose handler is running now
    QList<int> deferred;              // requests left unanswered on purpose
    int nextRequestId = 1;
    QByteArray received;
    QTimer connectTimer;
    int connectTimeout = 20000;
};

Winsock::Winsock(QObject* parent) : QObject(parent), d(std::make_unique<Impl>())
{
    d->connectTimer.setSingleShot(true);
    connect(&d->connectTimer, &QTimer::timeout, this, [this] {
        if (d->state == sckResolvingHost || d->state == sckHostResolved || d->state == sckConnecting)
            fail(sckTimedout, describe(sckTimedout));
    });
}

Winsock::~Winsock()
{
    // Sockets are our children: take them down while the state they report into still exists.
    d->connectTimer.stop();
    for (QTcpSocket* s : d->pending) {
        s->disconnect(this);
        delete s;
    }
    d->pending.clear();
    if (d->socket) {
        d->socket->disconnect(this);
        delete d->socket;
        d->socket = nullptr;
    }
    if (d->server) {
        d->server->disconnect(this);
        delete d->server;
        d->server = nullptr;
    }
}

int Winsock::State() const { return d->state; }
int Winsock::LocalPort() const { return d->localPort; }
void Winsock::setLocalPort(int port) { d->localPort = port; }
QString Winsock::RemoteHost() const { return d->remoteHost; }
void Winsock::setRemoteHost(const QString& host) { d->remoteHost = host; }
int Winsock::RemotePort() const { return d->remotePort; }
void Winsock::setRemotePort(int port) { d->remotePort = port; }
void Winsock::setConnectTimeout(int ms) { d->connectTimeout = ms > 0 ? ms : 1; }
int Winsock::ConnectTimeout() const { return d->connectTimeout; }
int Winsock::BytesReceived() const { return int(d->received.size()); }

qintptr Winsock::SocketDescriptor() const
{
    return d->socket ? d->socket->socketDescriptor() : -1;
}

QString Winsock::RemoteHostIP() const
{
    // While a connection request is being decided on, the address is the requester's.
    if (!d->socket && !d->offering.isEmpty()) {
        if (QTcpSocket* s = d->pending.value(d->offering.last()); s && !s->peerAddress().isNull())
            return addressText(s->peerAddress());
    }
    if (!d->socket || d->socket->peerAddress().isNull())
        return QString();
    return addressText(d->socket->peerAddress());
}

QString Winsock::LocalIP() const
{
    if (d->socket && d->state == sckConnected && !d->socket->localAddress().isNull())
        return addressText(d->socket->localAddress());
    for (const QHostAddress& a : QNetworkInterface::allAddresses()) {
        if (a.protocol() == QAbstractSocket::IPv4Protocol && !a.isLoopback())
            return a.toString();
    }
    return QStringLiteral("127.0.0.1");
}

SocketError Winsock::Listen()
{
    if (d->state != sckClosed)
        return error(sckInvalidOp);
    if (d->localPort < 0 || d->localPort > 65535)
        return error(sckAddressNotAvailable);
    auto* server = new QTcpServer(this);
    if (!server->listen(QHostAddress::Any, quint16(d->localPort))) {
        const int number = server->serverError() == QAbstractSocket::AddressInUseError
            ? int(sckAddressInUse) : int(sckAddressNotAvailable);
        delete server;
        return error(number);
    }
    d->server = server;
    d->localPort = server->serverPort();
    d->state = sckListening;
    connect(server, &QTcpServer::newConnection, this, &Winsock::onNewConnection);
    return {};
}

void Winsock::onNewConnection()
{
    QPointer<Winsock> self(this);
    while (d->server && d->server->hasPendingConnections()) {
        QTcpSocket* s = d->server->nextPendingConnection();
        s->setParent(this);   // outlives the listening socket, which Accept closes
        const int id = d->nextRequestId++;
        d->pending.insert(id, s);
        d->offering.append(id);
        emit ConnectionRequest(id);
        if (!self)
            return;
        d->offering.removeAll(id);
        if (d->deferred.removeAll(id) > 0 && d->pending.contains(id))
            continue;
        if (QTcpSocket* refused = d->pending.take(id))
            retire(refused, this);
    }
}

SocketError Winsock::Accept(int requestID)
{
    QTcpSocket* s = d->pending.value(requestID);
    if (!s)
        return error(sckInvalidOp);
    if (d->state == sckListening) {
        d->server->disconnect(this);
        d->server->close();
        d->server->deleteLater();
        d->server = nullptr;
        d->state = sckClosed;
    }
    if (d->state != sckClosed)
        return error(sckInvalidOp);
    d->pending.remove(requestID);
    refuseWaiting();   // one peer only
    d->received.clear();
    adopt(s, false);
    d->remoteHost = addressText(s->peerAddress());
    d->remotePort = s->peerPort();
    d->state = sckConnected;
    enableKeepAlive(s);
    // What the peer did before we accepted (sent its first bytes, or gave up) is reported
    // once the caller has finished accepting.
    QMetaObject::invokeMethod(this, [this, s] {
        if (d->socket != s)
            return;
        if (s->bytesAvailable() > 0) {
            d->received += s->readAll();
            emit DataArrival(int(d->received.size()));
        }
        if (d->socket == s && d->state == sckConnected && s->state() != QAbstractSocket::ConnectedState) {
            d->state = sckClosing;
            emit Closed();
        }
    }, Qt::QueuedConnection);
    return {};
}

void Winsock::Defer(int requestID)
{
    QTcpSocket* s = d->pending.value(requestID);
    if (!s || !d->offering.contains(requestID) || d->deferred.contains(requestID))
        return;
    d->deferred.append(requestID);
    // A requester that gives up while we leave it waiting is forgotten.
    connect(s, &QTcpSocket::disconnected, this, [this, requestID] {
        if (QTcpSocket* gone = d->pending.take(requestID))
            retire(gone, this);
    });
}

SocketError Winsock::Connect()
{
    return Connect(d->remoteHost, d->remotePort);
}

SocketError Winsock::Connect(const QString& host, int port)
{
    if (d->state != sckClosed)
        return error(sckInvalidOp);
    if (port < 1 || port > 65535)
        return error(sckAddressNotAvailable);
    if (host.trimmed().isEmpty())
        return error(sckHostNotFound);
    d->remoteHost = host;
    d->remotePort = port;
    d->received.clear();
    auto* s = new QTcpSocket(this);
    adopt(s, true);
    d->state = sckResolvingHost;
    d->connectTimer.start(d->connectTimeout);
    s->connectToHost(host, quint16(port));
    return {};
}

void Winsock::adopt(QTcpSocket* s, bool outgoing)
{
    d->socket = s;
    if (outgoing) {
        connect(s, &QTcpSocket::stateChanged, this, [this, s](QAbstractSocket::SocketState st) {
            if (d->socket != s)
                return;
            if (st == QAbstractSocket::HostLookupState)
                d->state = sckResolvingHost;
            else if (st == QAbstractSocket::ConnectingState)
                d->state = sckConnecting;
        });
        connect(s, &QTcpSocket::connected, this, [this, s] {
            if (d->socket != s)
                return;
            d->connectTimer.stop();
            d->state = sckConnected;
            enableKeepAlive(s);
            emit Connected();
        });
    }
    connect(s, &QTcpSocket::readyRead, this, [this, s] {
        if (d->socket != s || d->state != sckConnected)
            return;
        d->received += s->readAll();
        emit DataArrival(int(d->received.size()));
    });
    connect(s, &QTcpSocket::bytesWritten, this, [this, s] {
        if (d->socket == s && s->bytesToWrite() == 0)
            emit SendComplete();
    });
    connect(s, &QTcpSocket::disconnected, this, [this, s] {
        if (d->socket != s || d->state != sckConnected)
            return;
        d->state = sckClosing;
        emit Closed();
    });
    connect(s, &QTcpSocket::errorOccurred, this, [this, s](QAbstractSocket::SocketError e) {
        if (d->socket != s)
            return;
        if (d->state == sckConnected && e == QAbstractSocket::RemoteHostClosedError) {
            d->state = sckClosing;
            emit Closed();
            return;
        }
        if (d->state == sckClosing || d->state == sckClosed || d->state == sckError)
            return;
        const bool connecting = d->state != sckConnected;
        const int number = numberFor(e, connecting);
        fail(number, describe(number));
    });
}

void Winsock::fail(int number, const QString& description)
{
    d->connectTimer.stop();
    dropSocket();
    d->state = sckError;
    emit Error(number, description);
}

void Winsock::dropSocket()
{
    QTcpSocket* s = d->socket;
    d->socket = nullptr;
    retire(s, this);
}

SocketError Winsock::SendData(const QString& data)
{
    if (d->state != sckConnected || !d->socket)
        return error(sckBadState);
    if (d->socket->write(data.toLatin1()) < 0)
        return error(sckConnectAborted);
    return {};
}

void Winsock::GetData(QString& data)
{
    data = QString::fromLatin1(d->received);
    d->received.clear();
}

void Winsock::refuseWaiting()
{
    // Requests still waiting are refused, except those whose handler is deciding right now
    // (closing the listener and then accepting is the normal way to take a request); those
    // are refused when their handler returns without accepting.
    for (auto it = d->pending.begin(); it != d->pending.end();) {
        if (d->offering.contains(it.key())) {
            ++it;
        } else {
            retire(it.value(), this);
            it = d->pending.erase(it);
        }
    }
}

void Winsock::Close()
{
    d->connectTimer.stop();
    if (d->server) {
        d->server->disconnect(this);
        d->server->close();
        d->server->deleteLater();
        d->server = nullptr;
    }
    refuseWaiting();
    dropSocket();
    d->received.clear();
    d->state = sckClosed;
}

} // namespace platform
