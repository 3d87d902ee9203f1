#include "platform/PortEvent.h"

#include <QCoreApplication>

#include "serial/RegisteredMessage.h"

#if defined(__SANITIZE_THREAD__)
#include <sanitizer/tsan_interface.h>
#endif

namespace {

// Qt's event queue locks with futexes, which ThreadSanitizer cannot see: an
// event built on the listener's thread and taken on the receiver's would read
// as a race. The hand-over is told to it here; elsewhere these do nothing.
void HandOver(void* event)
{
#if defined(__SANITIZE_THREAD__)
    __tsan_release(event);
#else
    (void)event;
#endif
}

void TakeOver(void* event)
{
#if defined(__SANITIZE_THREAD__)
    __tsan_acquire(event);
#else
    (void)event;
#endif
}

} // namespace

CPortEvent::CPortEvent(unsigned message, std::uint32_t wParam, std::intptr_t lParam,
                       std::function<void()> onTaken)
    : QEvent(EventType()), m_message(message), m_wParam(wParam), m_lParam(lParam),
      m_onTaken(std::move(onTaken))
{
    HandOver(this);
}

CPortEvent::~CPortEvent()
{
    // A notification dropped unread (receiver gone, event ignored) must not
    // block later ones.
    MarkTaken();
}

QEvent::Type CPortEvent::EventType()
{
    static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

const CPortEvent* CPortEvent::Take(QEvent* event)
{
    if (!event)
        return nullptr;
    TakeOver(event);
    if (event->type() != EventType())
        return nullptr;
    auto* portEvent = static_cast<CPortEvent*>(event);
    portEvent->MarkTaken();
    return portEvent;
}

void CPortEvent::MarkTaken()
{
    if (m_onTaken) {
        m_onTaken();
        m_onTaken = nullptr;
    }
}

bool PostAppMessage(QObject* receiver, unsigned message, std::uint32_t wParam, std::intptr_t lParam)
{
    if (!receiver)
        return false;
    QCoreApplication::postEvent(receiver, new CPortEvent(message, wParam, lParam));
    return true;
}

unsigned RegisterWindowMessage(const char* name)
{
    return RegisterMessageName(name);
}
