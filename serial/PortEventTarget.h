#pragma once

#include <cstdint>

// Where a listening serial port delivers its notifications. It stands in for
// a window handle: the listener thread calls Post, and the implementation
// queues (message, wParam, lParam) for the owner's thread and returns at once.
// It must never block on, or call into, the owner.
class IPortEventTarget {
public:
    virtual ~IPortEventTarget() = default;
    // Returns false when the notification could not be queued (it is lost).
    virtual bool Post(unsigned message, std::uint32_t wParam, std::intptr_t lParam) = 0;
};
