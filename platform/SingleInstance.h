#pragma once
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QLocalServer;
class QLockFile;

namespace platform {

// Makes sure one copy runs per user and runtime folder. The first copy holds a lock file and
// a local socket (owner-only); a later copy hands its command line over that socket and
// waits until the first copy has handled it.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString& folder, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this process is the running copy (lock taken, channel listening).
    bool claim();
    // From a second copy: deliver the command line and wait for the reply (timeoutMs < 0:
    // as long as the running copy keeps the connection open). False when no copy answered.
    bool handOver(const QString& commandLine, int timeoutMs = -1);

    // Called in the running copy with each command line handed over; the reply is sent
    // after it returns.
    std::function<void(const QString&)> onCommandLine;

private:
    void onNewConnection();
    QString m_folder;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr;
};

} // namespace platform
