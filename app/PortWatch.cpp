#include "app/PortWatch.h"

#include <QSocketNotifier>

CPortWatch::CPortWatch(const std::string& path, std::function<void()> appeared)
    : m_watch(path), m_appeared(std::move(appeared))
{
    if (m_watch.Fd() >= 0) {
        m_notifier = new QSocketNotifier(m_watch.Fd(), QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &CPortWatch::Look);
    } else {
        connect(&m_everySecond, &QTimer::timeout, this, &CPortWatch::Look);
        m_everySecond.start(1000);
    }
}

CPortWatch::~CPortWatch() = default;

void CPortWatch::Look()
{
    const bool present = m_watch.TakeChanges();
    if (m_notifier && m_watch.Fd() < 0) {
        // The watch could not follow the path's folders: look once a second from now on.
        delete m_notifier;
        m_notifier = nullptr;
        connect(&m_everySecond, &QTimer::timeout, this, &CPortWatch::Look);
        m_everySecond.start(1000);
    }
    if (!present)
        return;
    if (m_notifier)
        m_notifier->setEnabled(false);
    m_everySecond.stop();
    m_appeared();
}
