#include "app/GetAndScan.h"

#include <QLabel>

#include "app/FormClock.h"
#include "app/PortStatus.h"

CGetAndScan::CGetAndScan(busport::CBusPort& port, CPortStatus& status, IFormClock& clock)
    : m_port(port), m_status(status), m_clock(clock)
{
}

busport::Pause CGetAndScan::EchoPause()
{
    return [this](std::chrono::milliseconds ms) { m_clock.Pause(ms); };
}

void CGetAndScan::RequestSettings()
{
    m_nReplyCountdown = kReplyTicks;
    m_status.NoteSend(m_port.SendGetRequest(EchoPause()));
    m_clock.Pause(std::chrono::milliseconds(100));
}

busport::CBusPort::WritesSent CGetAndScan::WriteSettings(const bus::RadioSettings& settings)
{
    // The rest would only wait out their time-outs.
    const busport::CBusPort::WritesSent sent = m_port.SendWrites(settings, EchoPause());
    m_status.NoteSend(sent.error);
    return sent;
}

bool CGetAndScan::TickReplyCountdown()
{
    if (m_nReplyCountdown == 0)
        return false;
    --m_nReplyCountdown;
    // A new Get forgets the reply; the countdown alone says whether one is awaited.
    if (m_port.ReplySeen() || m_nReplyCountdown == 0)
        ShowGetOutcome();
    return true;
}

void CGetAndScan::EndGet()
{
    if (m_nReplyCountdown != 0)
        ShowGetOutcome();
}

void CGetAndScan::ShowGetOutcome()
{
    m_nReplyCountdown = 0;
    if (m_port.ReplySeen())
        ShowOutcome(QStringLiteral("Got Settings Ok"), 250);
    else
        ShowOutcome(QStringLiteral("Communications Failed"), 1000);
}

void CGetAndScan::ShowOutcome(const QString& text, int ms)
{
    // The thread sleeps next, so the text must reach the screen now.
    m_ctlGetResult->setText(text);
    m_ctlGetResult->repaint();
    m_clock.Pause(std::chrono::milliseconds(ms));
    m_ctlGetResult->setText(QString());
}

void CGetAndScan::StartScan()
{
    m_scanCycle.Restart();
    m_nScanTicks = kScanTicks;
}

int CGetAndScan::ScanStep()
{
    m_status.NoteSend(m_port.SendLevelQuery(m_scanCycle.NextChannel(), EchoPause()));
    return --m_nScanTicks;
}

std::optional<bus::ChannelLevelReply> CGetAndScan::CountLevel(const bus::GroupReply& reply)
{
    if (!Scanning())
        return std::nullopt;
    return m_scanCycle.Count(reply);
}
