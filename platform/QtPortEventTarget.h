#pragma once

#include <memory>

#include "serial/PortEventTarget.h"

class QObject;

// Delivers a serial port's notifications to a QObject on that object's
// thread, as CPortEvent events (read them with CPortEvent::Take in the
// receiver's event handler). Post may be called from any thread.
//
// Notifications are coalesced: while one is queued and not yet taken, an
// identical one (same message and wParam, i.e. the same events) is not queued
// again, so a flood of "data received" cannot swamp the event queue. Taking
// the event re-arms it before the handler runs, so data that arrives during
// the handler is announced again.
//
// The receiver must outlive every Post call: stop the listener before the
// receiver goes away.
class CQtPortEventTarget final : public IPortEventTarget {
public:
    explicit CQtPortEventTarget(QObject* receiver);
    ~CQtPortEventTarget() override;

    bool Post(unsigned message, std::uint32_t wParam, std::intptr_t lParam) override;

private:
    struct PendingSet;

    QObject* m_pReceiver;
    std::shared_ptr<PendingSet> m_pending;
};
