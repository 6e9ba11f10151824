#pragma once
#include <QObject>
#include <functional>

class QSocketNotifier;
class QTimer;

// A repeating timer that fires on its schedule to a fraction of a millisecond, for what the
// eye follows frame by frame (the fight's animations). Qt's precise timers wake the event loop
// with a millisecond poll timeout and so land up to a millisecond late; on Linux this one is a
// timerfd, which the event loop sees as a readable descriptor. It is set a little ahead of each
// tick of the schedule (start + n x interval), and the last stretch is waited out on the CPU:
// on a busy machine a thread woken by the kernel often runs a few hundred microseconds late.
// Elsewhere it is a QTimer of type Qt::PreciseTimer. Nothing runs while it is stopped.
namespace platform {

class PreciseTimer : public QObject {
    Q_OBJECT
public:
    explicit PreciseTimer(QObject* parent = nullptr);
    ~PreciseTimer() override;

    // (Re)starts the countdown from now: timeouts every `ms` milliseconds (ms > 0).
    void start(int ms);
    // One timeout `ms` milliseconds from now, then stopped; the timer deletes itself after it
    // has fired or when `owner` goes (the settle delay of a bullet hole).
    static void singleShot(int ms, QObject* owner, std::function<void()> handler);
    void setSingleShot(bool on) { m_singleShot = on; }
    void stop();
    bool isActive() const { return m_active; }

signals:
    // Once per period that has passed; periods missed under load are not made up.
    void timeout();

private:
    void fdReadable();
    void setActive(bool on);
    bool arm();

    // How far ahead of a tick the descriptor wakes the thread.
    static constexpr qint64 kLeadNs = 500000;

    int m_fd = -1;
    QSocketNotifier* m_notifier = nullptr;
    QTimer* m_fallback = nullptr;
    bool m_active = false;
    bool m_singleShot = false;
    qint64 m_intervalNs = 0;
    qint64 m_deadlineNs = 0;   // the next tick, on the monotonic clock
};

} // namespace platform
