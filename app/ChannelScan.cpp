// The channel scan of the group setup form: one level query per tick of
// timer 13 for one minute, channel 11 upward and round again; the replies
// go to the signal bars.

#include "app/BrenvikView.h"

#include "controls/ColorButton.h"
#include "controls/RssiCtrl.h"
#include "controls/SysColors.h"

void CBrenvikView::ToggleChannelScan()
{
    if (m_nScanTicks == 0) {
        m_scanCycle.Restart();
        m_nScanTicks = kScanTicks;
        m_bMonitorPaused = false;
        m_ctlRssi->ResetStats();
        emit ScanResultsChanged();
        m_btnScan->SetColors(GetSysColor(COLOR_BTNTEXT), QColor(255, 0, 0));
        m_btnScan->setText(QStringLiteral("60 Stop Scan"));
        m_strScanNote = QLatin1String(kScanNote);
        SetTimer(kScanPeriodMs);
    } else {
        m_nScanTicks = 0;
        m_bMonitorPaused = true;
        m_btnScan->SetColors(GetSysColor(COLOR_BTNTEXT), GetSysColor(COLOR_BTNFACE));
        m_btnScan->setText(QStringLiteral("Start Chan Scan"));
        m_strScanNote.clear();
        SetTimer(kAfterScanPeriodMs);
        m_ctlRssi->ClearLevels();
    }
    ToggleMonitorPause();
    UpdateData(false);
}

void CBrenvikView::ScanStep()
{
    RequestChannelLevel(m_scanCycle.NextChannel());
    if (--m_nScanTicks == 0) {
        m_nScanTicks = 1;
        ToggleChannelScan();
        return;
    }
    if (m_nScanTicks % 5 == 0)
        m_btnScan->setText(QStringLiteral("%1 Stop Scan").arg(m_nScanTicks / 5));
}
