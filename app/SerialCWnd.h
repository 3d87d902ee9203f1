#pragma once

#include <memory>

#include "serial/SerialWnd.h"

class QObject;
class CQtPortEventTarget;

// The form's serial port: a CSerialWnd whose notifications are delivered to a
// QObject (the form) on that object's thread, as CPortEvent events.
class CSerialCWnd : public CSerialWnd {
public:
    CSerialCWnd();
    // Stops the listener before the delivery target it posts to goes away.
    ~CSerialCWnd() override;

    using CSerialWnd::Open;
    // Opens like CSerialWnd::Open with `window` as the receiver of the
    // notifications; a null window opens and listens, and nothing is delivered.
    virtual win32::LONG Open(const char* device, QObject* window, unsigned message, win32::LPARAM lParam, win32::DWORD inQueue,
                      win32::DWORD outQueue);

private:
    // The target of the open port; replaced only while the port is closed.
    std::unique_ptr<CQtPortEventTarget> m_pTarget;
};
