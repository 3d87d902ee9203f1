#pragma once

#include <condition_variable>
#include <mutex>

// Counts the calls under way on an object, so that another thread can wait
// until none is before it takes away what they use.
//
// A mutex and a condition variable rather than std::atomic's wait: where the
// compiler's library has no futex (mingw-w64's GCC 12), that wait looks at
// the value outside the lock its notification takes, so a leave between the
// look and the sleep is never heard and the waiter sleeps for ever.
class CActiveCalls {
public:
    void Enter()
    {
        std::lock_guard guard(m_lock);
        ++m_count;
    }
    // Notified under the lock: the waiter may destroy this object as soon as
    // it sees none left.
    void Leave()
    {
        std::lock_guard guard(m_lock);
        if (--m_count == 0)
            m_none.notify_all();
    }
    void WaitUntilNone()
    {
        std::unique_lock guard(m_lock);
        m_none.wait(guard, [this] { return m_count == 0; });
    }

private:
    std::mutex m_lock;
    std::condition_variable m_none;
    int m_count = 0;
};
