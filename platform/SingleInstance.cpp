#include "platform/SingleInstance.h"

#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

namespace platform {

namespace {
const char kReply[] = "done\n";
}

SingleInstance::SingleInstance(const QString& folder, QObject* parent)
    : QObject(parent)
    , m_folder(folder)
{
}

SingleInstance::~SingleInstance()
{
    if (m_server)
        m_server->close();
}

bool SingleInstance::claim()
{
    m_lock = std::make_unique<QLockFile>(m_folder + QStringLiteral("/gremlok.lock"));
    // A lock left by a killed copy names a dead process and is taken over at once.
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(50))
        return false;
    const QString name = m_folder + QStringLiteral("/gremlok.sock");
    QLocalServer::removeServer(name);   // a socket file left by a killed copy
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    m_server->listen(name);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
    return true;
}

void SingleInstance::onNewConnection()
{
    while (QLocalSocket* s = m_server->nextPendingConnection()) {
        connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
        connect(s, &QLocalSocket::readyRead, this, [this, s] {
            if (!s->canReadLine())
                return;
            const QString line = QString::fromUtf8(s->readLine(64 * 1024)).chopped(1);
            if (onCommandLine)
                onCommandLine(line);
            s->write(kReply);
            s->flush();
        });
    }
}

bool SingleInstance::handOver(const QString& commandLine, int timeoutMs)
{
    QLocalSocket s;
    s.connectToServer(m_folder + QStringLiteral("/gremlok.sock"));
    if (!s.waitForConnected(2000))
        return false;
    QString oneLine = commandLine;
    oneLine.replace(QLatin1Char('\n'), QLatin1Char(' '));
    s.write(oneLine.toUtf8() + '\n');
    s.flush();
    QElapsedTimer t;
    t.start();
    QByteArray reply;
    while (!reply.contains('\n') && t.elapsed() < timeoutMs) {
        if (!s.waitForReadyRead(int(timeoutMs - t.elapsed())))
            break;
        reply += s.readAll();
    }
    return reply.startsWith("done");
}

} // namespace platform
