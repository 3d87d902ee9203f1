// The channel scan as the form shows it: the scan button counting down the
// minute, the note, the monitor's pause and the signal bars. The queries, one
// per tick of timer 13, are CGetAndScan's.

#include "app/BrenvikView.h"

#include "controls/ColorButton.h"
#include "controls/RssiCtrl.h"
#include "controls/SysColors.h"

void CBrenvikView::ToggleChannelScan()
{
    if (m_getAndScan.Scanning())
        StopChannelScan();
    else
        StartChannelScan();
}

void CBrenvikView::StartChannelScan()
{
    m_getAndScan.StartScan();
    m_bMonitorPaused = false;
    m_ctlRssi->ResetStats();
    emit ScanResultsChanged();
    m_btnScan->SetColors(GetSysColor(COLOR_BTNTEXT), QColor(255, 0, 0));
    m_btnScan->setText(QStringLiteral("60 Stop Scan"));
    m_strScanNote = QLatin1String(kScanNote);
    SetTimer(kScanPeriodMs);
    ToggleMonitorPause();
    UpdateData(false);
}

void CBrenvikView::StopChannelScan()
{
    m_getAndScan.StopScan();
    m_bMonitorPaused = true;
    m_btnScan->SetColors(GetSysColor(COLOR_BTNTEXT), GetSysColor(COLOR_BTNFACE));
    m_btnScan->setText(QStringLiteral("Start Chan Scan"));
    m_strScanNote.clear();
    SetTimer(kAfterScanPeriodMs);
    m_ctlRssi->ClearLevels();
    ToggleMonitorPause();
    UpdateData(false);
}

void CBrenvikView::ScanStep()
{
    const int ticksLeft = m_getAndScan.ScanStep();
    if (ticksLeft == 0)
        StopChannelScan();
    else if (ticksLeft % 5 == 0)
        m_btnScan->setText(QStringLiteral("%1 Stop Scan").arg(ticksLeft / 5));
}
