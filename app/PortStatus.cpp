#include "app/PortStatus.h"

#include <QLabel>
#include <QStringList>

#include "app/PortWatch.h"
#include "app/SerialCWnd.h"
#include "busport/LineErrorText.h"
#include "busport/SerialResult.h"
#include "settings/Profile.h"
#include "serial/NetworkAddress.h"
#include "serial/PortNames.h"

CPortStatus::CPortStatus(busport::CBusPort& port, CSerialCWnd& serial, QObject& window, std::function<void()> reopen)
    : m_port(port), m_serial(serial), m_window(window), m_reopen(std::move(reopen))
{
}

CPortStatus::~CPortStatus() = default;

bus::LineError CPortStatus::Open(int comPort)
{
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
    // for it. A port another program holds is not tried again, nor is a
    // network interface, which has no device node to appear.
    const bool waitable = error.fault == bus::LineFault::NoDevice || error.fault == bus::LineFault::PermissionDenied;
    if (waitable && !LooksLikeUrl(m_portPath))
        WatchForPort();
    ShowNote(error);
    return error;
}

void CPortStatus::Close()
{
    m_portWatch.reset();
    if (m_port.IsOpen())
        m_port.Close();
}

void CPortStatus::NoticeVanishedDevice()
{
    if (!m_serial.IsOpen() || m_serial.IsListening())
        return;
    m_serial.Close();
    WatchForPort();
    ShowNote(busport::LineErrorOf(m_serial.GetListenerResult(), {}));
}

void CPortStatus::NoteSend(const bus::LineError& sent)
{
    m_bInterfaceNotReady = sent.fault == bus::LineFault::TimedOut && m_line.settings.flow == busport::Flow::RtsCts;
}

void CPortStatus::NoteSet(const QString& note)
{
    m_setNote = note;
    ShowNote(m_shownError);
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

void CPortStatus::ShowNote(const bus::LineError& error)
{
    m_shownError = error;
    QStringList note;
    if (!m_line.warning.empty())
        note << QString::fromStdString(m_line.warning);
    const QString device = m_portPath.empty() ? QStringLiteral("no device") : QString::fromStdString(m_portPath);
    if (!error) {
        note << device + ", " + QString::fromStdString(busport::LineSettingsText(m_line.settings));
    } else {
        // A network interface's reason speaks of addresses and connections.
        const std::string reason = error.fault == bus::LineFault::SettingsRefused
            ? "could not be set to " + busport::LineSettingsText(m_line.settings) + ": " + busport::LineErrorText(error)
            : busport::OpenErrorText(m_portPath, error);
        QString why = device + ": " + QString::fromStdString(reason);
        if (m_portWatch)
            why += QStringLiteral("; it is opened when it appears");
        else if (error.fault == bus::LineFault::Busy)
            why += QStringLiteral("; reopen it through PortSetup once it is free");
        note << why;
    }
    if (!m_setNote.isEmpty())
        note << m_setNote;
    m_statusLine->setToolTip(note.join('\n'));
}
