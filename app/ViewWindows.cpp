// The windows the form opens beside itself: the bus monitor, fed by the
// conversation while it exists, and the scan results, which show the figures the
// form keeps of its scan. Both only read; "Use channel" fills in the RF
// Channel field and leaves the sending to Set.

#include "app/BrenvikView.h"

#include <QImage>
#include <algorithm>

#include "app/BrenvikDoc.h"
#include "controls/RssiCtrl.h"
#include "platform/WindowText.h"
#include "res/Resource.h"

namespace {

// Shows a window of the form's, in front and with the keyboard.
void Raise(QWidget& window)
{
    window.show();
    window.raise();
    window.activateWindow();
}

} // namespace

void CBrenvikView::WatchTraffic()
{
    // Nothing is put into words while no monitor is open.
    m_BusPort.SetMessageObserver([this](std::span<const std::uint8_t> message, bool echo) {
        if (m_pBusMonitor)
            m_pBusMonitor->OnMessage(message, echo);
    });
    m_BusPort.SetBadMessageObserver([this](std::span<const std::uint8_t> message) {
        if (m_pBusMonitor)
            m_pBusMonitor->OnBadMessage(message);
    });
    m_BusPort.SetLineErrorObserver([this](std::uint32_t errors) {
        if (m_pBusMonitor)
            m_pBusMonitor->OnLineError(errors);
    });
}

void CBrenvikView::OnBusMonitor()
{
    if (!m_pBusMonitor) {
        m_pBusMonitor = new CBusMonitorWindow(this);
        m_pBusMonitor->setAttribute(Qt::WA_DeleteOnClose);
    }
    Raise(*m_pBusMonitor);
}

void CBrenvikView::OnScanResults()
{
    if (!m_pScanResults) {
        const auto chart = [this] {
            QImage picture(m_ctlRssi->size(), QImage::Format_RGB32);
            m_ctlRssi->Render(picture);
            return picture;
        };
        m_pScanResults = new CScanResultsWindow(
            m_getAndScan.ScanResults(), [this](int channel) { UseChannel(channel); }, chart, this);
        m_pScanResults->setAttribute(Qt::WA_DeleteOnClose);
        connect(this, &CBrenvikView::ScanResultsChanged, m_pScanResults, &CScanResultsWindow::Refresh);
    }
    Raise(*m_pScanResults);
}

void CBrenvikView::UseChannel(int channel)
{
    m_nChannel = unsigned(std::clamp(channel, bus::kFirstChannel, bus::kLastChannel));
    // Only this field: the others may hold typing not yet taken in.
    SetWindowText(*GetDlgItem(*Form(), IDC_RF_CHANNEL), QString::number(m_nChannel));
    m_document.m_RFChannel = int(m_nChannel);
}
