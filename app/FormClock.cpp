#include "app/FormClock.h"

#include <thread>

CWallClock::CWallClock()
{
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { m_tick(); });
}

void CWallClock::StartTicks(std::chrono::milliseconds period, TickHandler tick)
{
    m_tick = std::move(tick);
    m_timer.start(period);
}

std::chrono::milliseconds CWallClock::TickPeriod() const
{
    return m_timer.intervalAsDuration();
}

void CWallClock::Pause(std::chrono::milliseconds ms)
{
    std::this_thread::sleep_for(ms);
}
