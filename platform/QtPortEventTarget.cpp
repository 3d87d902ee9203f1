#include "platform/QtPortEventTarget.h"

#include <QCoreApplication>
#include <mutex>
#include <set>

#include "platform/PortEvent.h"

// Notifications queued and not yet taken, keyed by message and wParam. Shared
// with the queued events, which may outlive the target.
struct CQtPortEventTarget::PendingSet {
    std::mutex lock;
    std::set<std::uint64_t> keys;
};

CQtPortEventTarget::CQtPortEventTarget(QObject* receiver)
    : m_pReceiver(receiver), m_pending(std::make_shared<PendingSet>())
{
}

CQtPortEventTarget::~CQtPortEventTarget() = default;

bool CQtPortEventTarget::Post(unsigned message, std::uint32_t wParam, std::intptr_t lParam)
{
    if (!m_pReceiver)
        return false;
    const std::uint64_t key = (std::uint64_t(message) << 32) | wParam;
    {
        std::lock_guard guard(m_pending->lock);
        if (!m_pending->keys.insert(key).second)
            return true; // the queued one still stands for these events
    }
    std::weak_ptr<PendingSet> pending = m_pending;
    auto release = [pending, key] {
        if (auto set = pending.lock()) {
            std::lock_guard guard(set->lock);
            set->keys.erase(key);
        }
    };
    QCoreApplication::postEvent(m_pReceiver, new CPortEvent(message, wParam, lParam, std::move(release)));
    return true;
}
