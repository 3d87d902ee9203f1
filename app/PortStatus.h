#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <string>

#include "bus/LineError.h"
#include "busport/BusPort.h"
#include "busport/LineSettingsText.h"
#include "serial/SerialTypes.h"

class CPortWatch;
class CSerialCWnd;
class QLabel;

// The form's port and its status line: opens the port of a COM number with
// the line stored for it, says in the status line's tooltip what the port is
// or why it is closed, watches for a device that is absent, and gives the
// status line its text on each tick.
class CPortStatus {
public:
    static constexpr win32::LPARAM kNotifyLParam = 12;

    // Opens `port`'s line as `serial`, whose notifications go to `window`;
    // `reopen` runs from the event loop once a watched device has appeared.
    CPortStatus(busport::CBusPort& port, CSerialCWnd& serial, QObject& window, std::function<void()> reopen);
    ~CPortStatus();

    // The status line, once the form has its controls.
    void SetStatusLine(QLabel* label) { m_statusLine = label; }

    // (Re)opens COM `comPort` and configures it. A port whose device is
    // absent is watched; one that another program holds is left to the user.
    bus::LineError Open(int comPort);
    // Stops watching and closes the port (Port Selection takes over).
    void Close();
    // A device that vanished ends the listener: the port is closed and
    // watched for until the device comes back.
    void NoticeVanishedDevice();
    // A send went out or failed: a write held back by RTS/CTS past its
    // time-out means the interface is not ready, until the next send goes.
    void NoteSend(const bus::LineError& sent);

    // What the last Set left undone, kept in the tooltip until the next Set
    // (an empty note when it wrote all four).
    void NoteSet(const QString& note);

    // The status line's texts.
    void ShowClosed();
    void ShowOpen(int comPort, bool monitorPaused);

    bool IsWatching() const { return m_portWatch != nullptr; }

private:
    void WatchForPort();
    // Says in the status line's tooltip what the port is, or why it is closed.
    void ShowNote(const bus::LineError& error);

    busport::CBusPort& m_port;
    CSerialCWnd& m_serial;
    QObject& m_window;
    std::function<void()> m_reopen;
    QLabel* m_statusLine = nullptr;
    // The port's device and the line it was last opened with.
    std::string m_portPath;
    busport::StoredLine m_line;
    // What the tooltip says of the port, and of the last Set.
    bus::LineError m_shownError;
    QString m_setNote;
    // Waits for the port's device while it is absent.
    std::unique_ptr<CPortWatch> m_portWatch;
    // The interface held the last message back (CTS low) past the write time-out.
    bool m_bInterfaceNotReady = false;
};
