#include "core/FormTimer.h"

FormTimer::FormTimer(QObject* parent, Qt::TimerType type)
    : QObject(parent)
{
    m_timer.setTimerType(type);
    connect(&m_timer, &QTimer::timeout, this, &FormTimer::Timer);
}

void FormTimer::setEnabled(bool on)
{
    if (on == m_enabled)
        return;
    m_enabled = on;
    sync();
}

void FormTimer::setInterval(int ms)
{
    m_interval = ms < 0 ? 0 : ms;
    if (m_enabled)
        sync();
}

void FormTimer::sync()
{
    // An interval of 0 never fires, as with the window timers this stands in for.
    if (m_enabled && m_interval > 0)
        m_timer.start(m_interval);
    else
        m_timer.stop();
}
