#include "serial/SerialWnd.h"

#include "serial/RegisteredMessage.h"

using namespace win32;

const unsigned CSerialWnd::s_defaultComMsg = RegisterMessageName("CSerialWnd_DefaultComMsg");

CSerialWnd::~CSerialWnd()
{
    CSerialWnd::Close();
}

LONG CSerialWnd::Open(const char* device, IPortEventTarget* target, unsigned message, LPARAM lParam,
                      DWORD inQueue, DWORD outQueue)
{
    if (LONG result = CSerialListener::Open(device, inQueue, outQueue, false))
        return result;
    m_targetWnd = target;
    m_notifyMsg = message != 0 ? message : s_defaultComMsg;
    m_notifyLParam = lParam;
    if (LONG result = StartListening()) {
        const int why = GetLastSystemError().value();
        Close();
        return Fail(result, why);
    }
    ClearLastError();
    return 0;
}

LONG CSerialWnd::Close()
{
    m_targetWnd = nullptr;
    m_notifyMsg = 0;
    return CSerialListener::Close();
}

void CSerialWnd::OnPortEvent(DWORD events, DWORD errors)
{
    IPortEventTarget* target = m_targetWnd;
    const unsigned message = m_notifyMsg;
    if (target && message != 0)
        target->Post(message, PackNotification(events, errors), m_notifyLParam);
}
