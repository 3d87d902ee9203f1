#include "app/PortStatus.h"

#include <QLabel>
#include <QStringList>
#include <algorithm>
#include <utility>

#include "app/PortWatch.h"
#include "app/SerialCWnd.h"
#include "busport/LineErrorText.h"
#include "busport/ProbeLine.h"
#include "busport/SerialResult.h"
#include "settings/Profile.h"
#include "serial/NetworkAddress.h"
#include "serial/PortNames.h"

CPortStatus::CPortStatus(busport::CBusPort& port, CSerialCWnd& serial, QObject& window, std::function<void()> reopen)
    : m_port(port), m_serial(serial), m_window(window), m_reopen(std::move(reopen))
{
    m_interfaceTryLook.setInterval(10);
    m_interfaceTryLook.callOnTimeout([this] { TakeInterfaceAnswer(); });
}

CPortStatus::~CPortStatus() = default;

void CPortStatus::SetLockFolder(std::string folder)
{
    m_lockFolder = std::move(folder);
#ifndef _WIN32
    m_serial.SetLockFolder(m_lockFolder);
#endif
}

std::chrono::seconds CPortStatus::ReconnectDelay(int attempt)
{
    constexpr std::chrono::seconds kLongest {30};
    return attempt >= 5 ? kLongest : std::min(kLongest, std::chrono::seconds(1 << attempt));
}

bus::LineError CPortStatus::Open(int comPort)
{
    const std::optional<Reconnect> reconnecting = std::exchange(m_reconnect, std::nullopt);
    ForgetInterfaceTry();
    m_portWatch.reset();
    m_bInterfaceNotReady = false;
    const std::string name = QString::asprintf("\\\\.\\COM%d", comPort).toStdString();
    m_portPath = ResolvePortName(name, ProfilePortLookup()).value_or("");
    m_line = ProfileLineLookup()(comPort);
    const auto openListening = [this](const char* device) {
        return m_serial.Open(device, &m_window, 0, kNotifyLParam, busport::CBusPort::kQueueSize,
                             busport::CBusPort::kQueueSize)
            == 0;
    };
    // Any step that fails leaves the port closed, which the status line shows.
    const bus::LineError error = m_port.Open(m_portPath, m_line.settings, openListening);
    // Absent, or just appeared and not yet given to the user's group: wait
    // for it. A port another program holds is not tried again. A network
    // interface has no device node to appear: one whose connection was lost
    // is connected to again later.
    const bool waitable = error.fault == bus::LineFault::NoDevice || error.fault == bus::LineFault::PermissionDenied;
    if (LooksLikeUrl(m_portPath)) {
        // A lost connection is tried again until it connects; a busy server
        // is left to the user, as a port another program holds is.
        if (error && reconnecting && error.fault != bus::LineFault::Busy)
            ReconnectLater(reconnecting->attempt + 1);
    } else if (waitable) {
        WatchForPort();
    }
    ShowNote(error);
    return error;
}

void CPortStatus::Close()
{
    m_portWatch.reset();
    m_reconnect.reset();
    ForgetInterfaceTry();
    if (m_port.IsOpen())
        m_port.Close();
}

void CPortStatus::NoticeVanishedDevice()
{
    if (!m_serial.IsOpen() || m_serial.IsListening())
        return;
    const bus::LineError lost = busport::LineErrorOf(m_serial.GetListenerResult(), m_serial.GetLastSystemError());
    m_serial.Close();
    // A network interface has no device node to watch for: its server is
    // asked again, unless it turned the program away (left to the user, as
    // at the open).
    if (LooksLikeUrl(m_portPath)) {
        if (lost.fault != bus::LineFault::Busy)
            ReconnectLater(0);
    }
    else
        WatchForPort();
    ShowNote(lost, Loss::Vanished);
}

void CPortStatus::Tick(std::chrono::milliseconds elapsed)
{
    if (!m_reconnect || m_interfaceTry.valid())
        return;
    m_reconnect->wait -= elapsed;
    if (m_reconnect->wait > std::chrono::milliseconds(0))
        return;
    m_interfaceTry = std::async(std::launch::async, busport::ProbeLine, m_portPath, std::string());
    m_interfaceTryLook.start();
}

void CPortStatus::ForgetInterfaceTry()
{
    m_interfaceTryLook.stop();
    m_interfaceTry = {};  // waits for a try under way: at most its short time-out
}

void CPortStatus::TakeInterfaceAnswer()
{
    if (!m_interfaceTry.valid() || m_interfaceTry.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
        return;
    m_interfaceTryLook.stop();
    const bus::LineError error = m_interfaceTry.get();
    // One that answers, or turns the program away, is opened: its Open says
    // what became of it. One that does not answer is tried again later.
    if (!error || error.fault == bus::LineFault::Busy) {
        m_reopen();
        return;
    }
    ReconnectLater(m_reconnect ? m_reconnect->attempt + 1 : 0);
    ShowNote(error);
}

void CPortStatus::ReconnectLater(int attempt)
{
    m_reconnect = Reconnect {attempt, ReconnectDelay(attempt)};
}

void CPortStatus::NoteSend(const bus::LineError& sent)
{
    m_bInterfaceNotReady = sent.fault == bus::LineFault::TimedOut && m_line.settings.flow == busport::Flow::RtsCts;
}

void CPortStatus::NoteSet(const QString& note)
{
    m_setNote = note;
    ShowNote(m_shownError, m_shownLoss);
}

void CPortStatus::ShowClosed()
{
    m_statusLine->setText(QStringLiteral("COM Port Closed"));
}

void CPortStatus::ShowOpen(int comPort, bool monitorPaused)
{
    if (m_bInterfaceNotReady)
        m_statusLine->setText(QStringLiteral("Interface Not Ready"));
    else if (monitorPaused)
        m_statusLine->setText(QStringLiteral("COM port Closed"));
    else
        m_statusLine->setText(QStringLiteral("COM Port %1 Open").arg(comPort));
}

void CPortStatus::WatchForPort()
{
    if (m_portPath.empty())
        return;
    // Reopened from the event loop: the watch that calls back is replaced by the open.
    m_portWatch = std::make_unique<CPortWatch>(
        m_portPath, [this] { QMetaObject::invokeMethod(&m_window, m_reopen, Qt::QueuedConnection); });
}

void CPortStatus::ShowNote(const bus::LineError& error, Loss loss)
{
    m_shownError = error;
    m_shownLoss = loss;
    QStringList note;
    if (!m_line.warning.empty())
        note << QString::fromStdString(m_line.warning);
    const QString device
        = m_portPath.empty() ? QStringLiteral("no device") : QString::fromStdString(ShownPortName(m_portPath));
    if (!error) {
        note << device + ", " + QString::fromStdString(busport::LineSettingsText(m_line.settings));
    } else {
        // A network interface's reason speaks of addresses and connections.
        const std::string reason = loss == Loss::Vanished ? busport::FailureText(m_portPath, error)
            : error.fault == bus::LineFault::SettingsRefused
            ? "could not be set to " + busport::LineSettingsText(m_line.settings) + ": " + busport::LineErrorText(error)
            : busport::OpenErrorText(m_portPath, error);
        const std::string holder
            = error.fault == bus::LineFault::Busy ? busport::HeldByLockText(m_portPath, m_lockFolder) : "";
        QString why = device + ": " + QString::fromStdString(reason + holder);
        if (m_portWatch)
            why += QStringLiteral("; it is opened when it appears");
        else if (m_reconnect)
            why += QStringLiteral("; connecting again in %1 s").arg(ReconnectDelay(m_reconnect->attempt).count());
        else if (error.fault == bus::LineFault::Busy)
            why += QStringLiteral("; reopen it through PortSetup once it is free");
        note << why;
    }
    if (!m_setNote.isEmpty())
        note << m_setNote;
    m_statusLine->setToolTip(note.join('\n'));
}
