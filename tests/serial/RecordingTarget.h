#pragma once

#include "serial/PortEventTarget.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

// Collects what a listening port posts, for the test thread to await.
class RecordingTarget : public IPortEventTarget {
public:
    struct Notification {
        unsigned message;
        std::uint32_t wParam;
        std::intptr_t lParam;
    };

    bool Post(unsigned message, std::uint32_t wParam, std::intptr_t lParam) override
    {
        {
            std::lock_guard guard(m_lock);
            m_received.push_back({message, wParam, lParam});
        }
        m_changed.notify_all();
        return true;
    }

    // Waits until at least `count` notifications arrived; the generous
    // watchdog only ends a wait that would otherwise hang the suite.
    bool WaitFor(size_t count, std::chrono::milliseconds watchdog = std::chrono::seconds(10))
    {
        std::unique_lock guard(m_lock);
        return m_changed.wait_for(guard, watchdog, [&] { return m_received.size() >= count; });
    }

    std::vector<Notification> Received()
    {
        std::lock_guard guard(m_lock);
        return m_received;
    }
    size_t Count()
    {
        std::lock_guard guard(m_lock);
        return m_received.size();
    }

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::vector<Notification> m_received;
};
