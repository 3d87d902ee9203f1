#pragma once

#include <QEvent>
#include <cstdint>
#include <functional>

#include "platform/WindowsApi.h"

class QObject;

// A posted (message, wParam, lParam) notification: the Qt stand-in for a
// message posted to a window. All of them share one event type; the message
// number (a registered one, see RegisterWindowMessage) rides inside.
class CPortEvent : public QEvent {
public:
    CPortEvent(unsigned message, std::uint32_t wParam, std::intptr_t lParam,
               std::function<void()> onTaken = {});
    ~CPortEvent() override;

    // The event type shared by all of them, registered once per process.
    static QEvent::Type EventType();

    // The notification in an event the receiver got, or null for any other
    // event. Taking it tells the sender it was handled, so a notification
    // posted from now on is queued again.
    static const CPortEvent* Take(QEvent* event);

    unsigned Message() const { return m_message; }
    std::uint32_t WParam() const { return m_wParam; }
    std::intptr_t LParam() const { return m_lParam; }

private:
    void MarkTaken();

    unsigned m_message;
    std::uint32_t m_wParam;
    std::intptr_t m_lParam;
    std::function<void()> m_onTaken;
};

// Posts a notification to a QObject from any thread; it is delivered on the
// receiver's thread. False for a null receiver.
bool PostAppMessage(QObject* receiver, unsigned message, std::uint32_t wParam, std::intptr_t lParam);

// The number of a registered message name: the same name gives the same
// number for the life of the process, on every thread.
unsigned RegisterWindowMessage(const char* name);
