#include "platform/Winsock.h"

namespace platform {

struct Winsock::Impl {
    int localPort = 0;
    int remotePort = 0;
    QString remoteHost;
};

Winsock::Winsock(QObject* parent) : QObject(parent), d(std::make_unique<Impl>()) {}
Winsock::~Winsock() = default;
int Winsock::State() const { return sckClosed; }
int Winsock::LocalPort() const { return d->localPort; }
void Winsock::setLocalPort(int port) { d->localPort = port; }
QString Winsock::RemoteHost() const { return d->remoteHost; }
void Winsock::setRemoteHost(const QString& host) { d->remoteHost = host; }
int Winsock::RemotePort() const { return d->remotePort; }
void Winsock::setRemotePort(int port) { d->remotePort = port; }
QString Winsock::RemoteHostIP() const { return QString(); }
QString Winsock::LocalIP() const { return QString(); }
SocketError Winsock::Listen() { return {10049, QStringLiteral("not available")}; }
SocketError Winsock::Connect() { return Connect(d->remoteHost, d->remotePort); }
SocketError Winsock::Connect(const QString&, int) { return {10049, QStringLiteral("not available")}; }
SocketError Winsock::Accept(int) { return {10049, QStringLiteral("not available")}; }
SocketError Winsock::SendData(const QString&) { return {10049, QStringLiteral("not available")}; }
void Winsock::GetData(QString& data) { data.clear(); }
void Winsock::Close() {}
void Winsock::setConnectTimeout(int) {}

} // namespace platform
