#include "platform/PortEvent.h"

#include <QCoreApplication>

#include "serial/RegisteredMessage.h"

CPortEvent::CPortEvent(unsigned message, std::uint32_t wParam, std::intptr_t lParam,
                       std::function<void()> onTaken)
    : QEvent(EventType()), m_message(message), m_wParam(wParam), m_lParam(lParam),
      m_onTaken(std::move(onTaken))
{
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
    if (!event || event->type() != EventType())
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
