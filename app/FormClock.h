#pragma once

#include <QTimer>
#include <chrono>
#include <functional>

// The time the group setup form runs on: the ticks of its timer 13 and the
// blocking pauses of a Get and of the echo wait. The program runs on the wall
// clock; a test gives the form a clock it ticks by hand, so it waits on
// nothing and no tick can come too late on a loaded machine.
class IFormClock {
public:
    using TickHandler = std::function<void()>;

    virtual ~IFormClock() = default;

    // Calls `tick` every `period` from the event loop, in place of the
    // ticks started before.
    virtual void StartTicks(std::chrono::milliseconds period, TickHandler tick) = 0;
    virtual std::chrono::milliseconds TickPeriod() const = 0;
    // Blocks the user-interface thread: no input and no port notification is
    // handled meanwhile (port data waits in the line's queue).
    virtual void Pause(std::chrono::milliseconds ms) = 0;
};

class CWallClock final : public IFormClock {
public:
    CWallClock();
    void StartTicks(std::chrono::milliseconds period, TickHandler tick) override;
    std::chrono::milliseconds TickPeriod() const override;
    void Pause(std::chrono::milliseconds ms) override;

private:
    QTimer m_timer;
    TickHandler m_tick;
};
