#include "platform/SingleInstance.h"

#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QPointer>
#include <QThread>

namespace platform {

namespace {
const char kReply[] = "done\n";
constexpr qint64 kMaxLine = 64 * 1024;
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
            if (!s->canReadLine()) {
                // Nobody sends a command line this long: drop the talker, not the program.
                if (s->bytesAvailable() > kMaxLine)
                    s->abort();
                return;
            }
            // One command line per connection; the handler may open a message box, and more
            // data meanwhile must not start another round on the same socket.
            disconnect(s, &QLocalSocket::readyRead, this, nullptr);
            QByteArray line = s->readLine(kMaxLine + 1);
            if (line.endsWith('\n'))
                line.chop(1);
            // The sender may give up while the handler runs (its socket is then deleted).
            const QPointer<QLocalSocket> alive(s);
            if (onCommandLine)
                onCommandLine(QString::fromUtf8(line));
            if (alive && alive->state() == QLocalSocket::ConnectedState) {
                alive->write(kReply);
                alive->flush();
            }
        });
    }
}

bool SingleInstance::handOver(const QString& commandLine, int timeoutMs)
{
    // The running copy takes its lock a moment before its channel listens: keep trying
    // briefly rather than lose the command line.
    QLocalSocket s;
    QElapsedTimer t;
    t.start();
    for (;;) {
        s.connectToServer(m_folder + QStringLiteral("/gremlok.sock"));
        if (s.waitForConnected(2000))
            break;
        if (t.elapsed() > 2000)
            return false;
        QThread::msleep(50);
    }
    QString oneLine = commandLine;
    oneLine.replace(QLatin1Char('\n'), QLatin1Char(' '));
    s.write(oneLine.toUtf8() + '\n');
    s.flush();
    // The reply comes once the command line has been handled, which may take a message box
    // the user has to answer: wait as long as the running copy keeps the line open.
    t.restart();
    QByteArray reply;
    while (!reply.contains('\n') && (timeoutMs < 0 || t.elapsed() < timeoutMs)) {
        if (!s.waitForReadyRead(timeoutMs < 0 ? -1 : int(timeoutMs - t.elapsed())))
            break;
        reply += s.readAll();
    }
    return reply.startsWith("done");
}

} // namespace platform
