#pragma once

#include <chrono>
#include <thread>

// Waiting for something a test cannot await directly. The watchdog is
// generous: it only turns a hang into a failure instead of blocking the suite.
inline constexpr std::chrono::milliseconds kWatchdog {20000};

// Looks at `condition` until it holds, running `between` between looks;
// false once the watchdog has run out.
template <class Condition, class Between>
bool PollUntil(Condition condition, Between between, std::chrono::milliseconds watchdog = kWatchdog)
{
    const auto end = std::chrono::steady_clock::now() + watchdog;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        between();
    }
    return true;
}

// For a condition another thread brings about.
template <class Condition>
bool Eventually(Condition condition, std::chrono::milliseconds watchdog = kWatchdog)
{
    return PollUntil(condition, [] { std::this_thread::sleep_for(std::chrono::milliseconds(1)); }, watchdog);
}
