#include "app/SerialCWnd.h"

#include "platform/QtPortEventTarget.h"

using namespace win32;

CSerialCWnd::CSerialCWnd() = default;

CSerialCWnd::~CSerialCWnd()
{
    Close();
}

LONG CSerialCWnd::Open(const char* device, QObject* window, unsigned message, LPARAM lParam, DWORD inQueue,
                       DWORD outQueue)
{
    // An open port keeps its target: the base refuses the second open.
    if (IsOpen())
        return CSerialWnd::Open(device, m_pTarget.get(), message, lParam, inQueue, outQueue);
    m_pTarget = window ? std::make_unique<CQtPortEventTarget>(window) : nullptr;
    return CSerialWnd::Open(device, m_pTarget.get(), message, lParam, inQueue, outQueue);
}
