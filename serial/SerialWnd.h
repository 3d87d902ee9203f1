#pragma once

#include "serial/PortEventTarget.h"
#include "serial/SerialListener.h"

#include <atomic>

// A listening serial port that posts its events to a target on the owner's
// thread: (message, WPARAM = errors << 16 | events, LPARAM). The message is
// the one given to Open, or the number registered under
// "CSerialWnd_DefaultComMsg" when 0 was given.
//
// To target another kind of receiver, derive and add an Open that builds an
// IPortEventTarget for it and calls this class's Open; the target must
// outlive the open port.
class CSerialWnd : public CSerialListener {
public:
    static const unsigned s_defaultComMsg;

    CSerialWnd() = default;
    ~CSerialWnd() override;

    using CSerialListener::Open;
    // Opens, records where notifications go, then starts listening. A failed
    // open leaves the target, message and LPARAM as they were.
    virtual win32::LONG Open(const char* device, IPortEventTarget* target, unsigned message, win32::LPARAM lParam,
                      win32::DWORD inQueue, win32::DWORD outQueue);
    // Stops posting first, then stops the listener and closes the port.
    win32::LONG Close() override;
    void OnPortEvent(win32::DWORD events, win32::DWORD errors) override;

    static win32::WPARAM PackNotification(win32::DWORD events, win32::DWORD errors)
    {
        return ((errors & 0xFFFFu) << 16) | (events & 0xFFFFu);
    }

protected:
    std::atomic<IPortEventTarget*> m_targetWnd {nullptr};
    std::atomic<unsigned> m_notifyMsg {0};
    std::atomic<win32::LPARAM> m_notifyLParam {0};
};
