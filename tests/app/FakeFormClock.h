#pragma once

#include "app/FormClock.h"

#include <chrono>
#include <functional>
#include <vector>

// The form's clock in a test: no tick comes by itself, the test ticks it, and
// pauses return at once and are only recorded.
class FakeFormClock final : public IFormClock {
public:
    void StartTicks(std::chrono::milliseconds period, TickHandler tick) override
    {
        m_period = period;
        m_tick = std::move(tick);
    }
    std::chrono::milliseconds TickPeriod() const override { return m_period; }
    void Pause(std::chrono::milliseconds ms) override
    {
        m_pauses.push_back(ms);
        if (m_onPause)
            m_onPause();
    }
    // Runs `act` in every pause, while the form's thread would sleep.
    void OnPause(std::function<void()> act) { m_onPause = std::move(act); }

    // What a timer message does: one tick of the form.
    void Tick(int count = 1)
    {
        for (int i = 0; i < count; ++i)
            m_tick();
    }
    const std::vector<std::chrono::milliseconds>& Pauses() const { return m_pauses; }

private:
    std::chrono::milliseconds m_period {0};
    TickHandler m_tick;
    std::vector<std::chrono::milliseconds> m_pauses;
    std::function<void()> m_onPause;
};
