#pragma once
#include <QObject>
#include <functional>

class QSocketNotifier;
class QTimer;

// A repeating timer that fires on its schedule to a fraction of a millisecond, for what the
// eye follows frame by frame (the fight's animations). Qt's precise timers wake the event loop
// with a millisecond poll timeout and so land up to a millisecond late; on Linux this one is a
// timerfd, which the kernel wakes exactly on the schedule (start + n x interval) and the event
// loop sees as a readable descriptor. Elsewhere it is a QTimer of type Qt::PreciseTimer.
// Nothing runs while it is stopped.
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

    int m_fd = -1;
    QSocketNotifier* m_notifier = nullptr;
    QTimer* m_fallback = nullptr;
    bool m_active = false;
    bool m_singleShot = false;
};

} // namespace platform
