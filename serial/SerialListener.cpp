#include "serial/SerialListener.h"

#include "serial/SerialBackend.h"

#include <system_error>

using namespace win32;

CSerialListener::~CSerialListener()
{
    CSerialListener::Close();
}

LONG CSerialListener::Open(const char* device, DWORD inQueue, DWORD outQueue, bool startListening)
{
    if (LONG result = CSerialLine::Open(device, inQueue, outQueue, true))
        return result;
    if (startListening) {
        if (LONG result = StartListening())
            return result;
    }
    return m_lastError;
}

LONG CSerialListener::Close()
{
    StopListening(INFINITE);
    return CSerialLine::Close();
}

LONG CSerialListener::StartListening()
{
    if (m_listenerThread.joinable()) {
        ClearLastError();
        return 0;
    }
    if (!IsOpen())
        return Fail(ERROR_INVALID_HANDLE);
    m_listenerResult = 0;
    m_listening = true;
    try {
        m_listenerThread = std::thread(ListenerThreadProc, this);
    } catch (const std::system_error&) {
        m_listening = false;
        return Fail(ERROR_NOT_ENOUGH_MEMORY);
    }
    ClearLastError();
    return 0;
}

LONG CSerialListener::StopListening(DWORD /*timeoutMs*/)
{
    if (m_listenerThread.joinable()) {
        m_stopRequested = true;
        Backend().WakeListener();
        m_listenerThread.join();
        m_stopRequested = false;
        m_listening = false;
    }
    ClearLastError();
    return 0;
}

LONG CSerialListener::ListenerThreadProc(CSerialListener* listener)
{
    return listener->ListenerLoop();
}

LONG CSerialListener::EndListening(LONG result, int systemError)
{
    m_listenerResult = result;
    m_listening = false;
    if (result != 0)
        Fail(result, systemError);
    return result;
}

LONG CSerialListener::ListenerLoop()
{
    ISerialBackend& backend = Backend();
    for (;;) {
        ISerialBackend::ListenerPass pass;
        int systemError = 0;
        const LONG result = backend.NextListenerPass(pass, systemError);
        if (m_stopRequested)
            return EndListening(0);
        if (result != 0)
            return EndListening(result, systemError);
        const DWORD events = pass.events & m_eventMask;
        m_pendingEvents = events;
        if (events != 0)
            OnPortEvent(events, pass.errors);
        if (pass.portGone != 0)
            return EndListening(pass.portGone, pass.goneReason);
        if (m_stopRequested)
            return EndListening(0);
    }
}
