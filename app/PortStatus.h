#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <optional>
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
// or why it is closed, watches for a device that is absent, connects again to
// a network interface whose server ended the connection, and gives the status
// line its text on each tick.
class CPortStatus {
public:
    static constexpr win32::LPARAM kNotifyLParam = 12;

    // Opens `port`'s line as `serial`, whose notifications go to `window`;
    // `reopen` runs from the event loop once a watched device has appeared.
    CPortStatus(busport::CBusPort& port, CSerialCWnd& serial, QObject& window, std::function<void()> reopen);
    ~CPortStatus();

    // The folder of UUCP device locks (/run/lock for the program; empty: no
    // locks): a device another program locked there is busy, named with its
    // owner, and the port's device is locked there while open.
    void SetLockFolder(std::string folder);
    const std::string& LockFolder() const { return m_lockFolder; }

    // The status line, once the form has its controls.
    void SetStatusLine(QLabel* label) { m_statusLine = label; }

    // (Re)opens COM `comPort` and configures it. A port whose device is
    // absent is watched; one that another program holds is left to the user.
    bus::LineError Open(int comPort);
    // Stops watching and closes the port (Port Selection takes over).
    void Close();
    // A device that vanished ends the listener: the port is closed and
    // watched for until the device comes back. A network interface whose
    // server ended the connection is connected to again after 1, 2, 4 ... 30 s,
    // until it connects or its server turns the program away (busy).
    void NoticeVanishedDevice();
    // A tick of the form's timer, `elapsed` after the one before: once the
    // wait before connecting again is over, tries the network interface on a
    // thread of its own (a host that does not answer would hold the window
    // for the whole connection time-out) and reopens the port when it answers.
    void Tick(std::chrono::milliseconds elapsed);
    // True while that try is under way.
    bool IsTryingInterface() const { return m_interfaceTry.valid(); }
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

    // The wait before the attempt-th (from 0) connection again: 1, 2, 4 ... 30 s.
    static std::chrono::seconds ReconnectDelay(int attempt);

private:
    // Connecting again to a network interface.
    struct Reconnect {
        int attempt = 0;
        std::chrono::milliseconds wait {0}; // left before it
    };
    // How the port was lost or why it did not open, in the tooltip.
    enum class Loss { NotOpened, Vanished };

    void WatchForPort();
    void ReconnectLater(int attempt);
    // The try of the interface answered: reopen, or wait longer.
    void TakeInterfaceAnswer();
    void ForgetInterfaceTry();
    // Says in the status line's tooltip what the port is, or why it is closed.
    void ShowNote(const bus::LineError& error, Loss loss = Loss::NotOpened);

    busport::CBusPort& m_port;
    CSerialCWnd& m_serial;
    QObject& m_window;
    std::function<void()> m_reopen;
    QLabel* m_statusLine = nullptr;
    // The port's device and the line it was last opened with.
    std::string m_portPath;
    std::string m_lockFolder;
    busport::StoredLine m_line;
    // What the tooltip says of the port, and of the last Set.
    bus::LineError m_shownError;
    Loss m_shownLoss = Loss::NotOpened;
    QString m_setNote;
    // Waits for the port's device while it is absent.
    std::unique_ptr<CPortWatch> m_portWatch;
    std::optional<Reconnect> m_reconnect;
    std::future<bus::LineError> m_interfaceTry;
    QTimer m_interfaceTryLook;  // looks for its answer from the event loop
    // The interface held the last message back (CTS low) past the write time-out.
    bool m_bInterfaceNotReady = false;
};
