#pragma once

#include <QString>
#include <optional>

#include "bus/GroupReply.h"
#include "busport/BusPort.h"
#include "busreport/ScanCycle.h"

class CPortStatus;
class IFormClock;
class QLabel;

// The Get and the channel scan of the form, on top of the bus conversation:
// the Get's reply countdown and its outcome, the four writes, and the scan's
// one level query per tick for a minute. Sends and outcomes block the
// user-interface thread for their pauses, on the form's clock.
class CGetAndScan {
public:
    static constexpr int kReplyTicks = 4;
    static constexpr int kScanTicks = 300;

    CGetAndScan(busport::CBusPort& port, CPortStatus& status, IFormClock& clock);

    // Where the outcome of a Get shows, once the form has its controls.
    void SetOutcomeLine(QLabel* label) { m_ctlGetResult = label; }

    // Sends the Get request; its reply is awaited for four ticks.
    void RequestSettings();
    // The four writes; the first that fails ends them. Gives how many went out.
    busport::CBusPort::WritesSent WriteSettings(const bus::RadioSettings& settings);
    // A tick while the port is open: counts the Get's countdown down and
    // shows its outcome once it is known. False when no Get is pending, so
    // the status line is free.
    bool TickReplyCountdown();
    // The port is opened again, which forgets the conversation: a Get still
    // waiting ends now, with the outcome its ticks would have shown.
    void EndGet();

    // The scan starts at channel 11 with no figures.
    void StartScan();
    void StopScan() { m_nScanTicks = 0; }
    bool Scanning() const { return m_nScanTicks != 0; }
    // A tick of the scan: the next channel's level query. Gives the ticks
    // left; 0 when the minute is over.
    int ScanStep();
    // A reply during a scan: a level reply is counted and given back.
    std::optional<bus::ChannelLevelReply> CountLevel(const bus::GroupReply& reply);

    int ReplyCountdown() const { return m_nReplyCountdown; }
    int ScanTicks() const { return m_nScanTicks; }
    // The figures of the running or last scan.
    const busreport::CScanStats& ScanResults() const { return m_scanCycle.Stats(); }

private:
    // Ends the Get: "Got Settings Ok" once its reply came, else "Communications Failed".
    void ShowGetOutcome();
    // Shows an outcome of a Get for `ms`, painted before the thread sleeps.
    void ShowOutcome(const QString& text, int ms);
    // The echo waits' pause: the thread sleeps, framing nothing.
    busport::Pause EchoPause();

    busport::CBusPort& m_port;
    CPortStatus& m_status;
    IFormClock& m_clock;
    QLabel* m_ctlGetResult = nullptr; // 1029
    int m_nReplyCountdown = 0;
    int m_nScanTicks = 0;
    busreport::CScanCycle m_scanCycle;
};
