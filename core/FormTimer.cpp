#include "core/FormTimer.h"

#include "platform/PreciseTimer.h"

FormTimer::FormTimer(QObject* parent, Qt::TimerType type)
    : QObject(parent)
{
    if (type == Qt::PreciseTimer) {
        m_precise = new platform::PreciseTimer(this);
        connect(m_precise, &platform::PreciseTimer::timeout, this, &FormTimer::Timer);
        return;
    }
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
    const bool run = m_enabled && m_interval > 0;
    if (m_precise)
        run ? m_precise->start(m_interval) : m_precise->stop();
    else if (run)
        m_timer.start(m_interval);
    else
        m_timer.stop();
}
