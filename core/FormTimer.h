#pragma once
#include <QObject>
#include <QString>
#include <QTimer>

namespace platform { class PreciseTimer; }

// A window timer as the game code knows it: Enabled, Interval, a Tag text, and a Timer event
// every Interval milliseconds while enabled. Changing the interval of a running timer starts
// its countdown again; enabling a timer that already runs changes nothing. A Qt::PreciseTimer
// keeps its schedule to a fraction of a millisecond (platform::PreciseTimer).
class FormTimer : public QObject {
    Q_OBJECT
public:
    explicit FormTimer(QObject* parent = nullptr, Qt::TimerType type = Qt::CoarseTimer);

    bool Enabled() const { return m_enabled; }
    void setEnabled(bool on);
    int Interval() const { return m_interval; }
    void setInterval(int ms);

    QString Tag;

signals:
    void Timer();

private:
    void sync();
    QTimer m_timer;
    platform::PreciseTimer* m_precise = nullptr;
    bool m_enabled = false;
    int m_interval = 0;
};
