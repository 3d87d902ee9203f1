#pragma once

#include <QPointer>
#include <QString>
#include <cstdint>
#include <memory>
#include <span>

#include "app/BusMonitorWindow.h"
#include "app/FormClock.h"
#include "app/FrameView.h"
#include "app/GetAndScan.h"
#include "app/KnownSettings.h"
#include "app/PortStatus.h"
#include "app/ScanResultsWindow.h"
#include "app/SerialCWnd.h"
#include "bus/BusLimits.h"
#include "bus/GroupReply.h"
#include "busport/BusPort.h"
#include "layout/ResizableFormView.h"
#include "serial/PortIdentity.h"

class CBrenvikDoc;
class CClockCtrl;
class CColorButton;
class CDataExchange;
class CMainFrame;
class CRssiCtrl;
class QLabel;
class QListWidget;
class QPushButton;

// The group setup form (template 101): the four settings with Get and Set,
// the outcome of a Get, the port's status line, the channel scan with its
// signal bars, and the clock. It owns the bus conversation and its serial
// port; the form itself keeps the edits, their exchange and their rules, and
// leaves the port's status to CPortStatus and the Get and the scan to
// CGetAndScan.
// The bus monitor's controls exist but stay hidden and empty; the window
// "Trakbus Monitor" shows the traffic instead, and "Scan Results" the scan's
// figures, both beside the form.
//
// Get, Set and the level query block the user-interface thread for their
// pauses (echo waits, 100 ms after a Get, the outcome texts), as the bus
// needs; nothing else waits. The pauses and the ticks come from the clock it
// is given, the wall clock unless a test gives another.
class CBrenvikView final : public CResizableFormView, public IFrameView {
    Q_OBJECT

public:
    static constexpr int kStartPeriodMs = 250;
    static constexpr int kScanPeriodMs = 200;
    static constexpr int kAfterScanPeriodMs = 300;
    static constexpr int kReplyTicks = CGetAndScan::kReplyTicks;
    static constexpr const char* kScanNote = "Don't Use Throttles";
    static constexpr const char* kPlaceholdersRefused =
        "These are placeholders of a Get that was not answered, not settings read from a transceiver: "
        "Set writes nothing until a Get succeeds.";
    static constexpr const char* kStartingValuesQuestion =
        "These are starting values, not read from a transceiver. Write them to the transceiver?";

    CBrenvikView(CMainFrame& frame, CBrenvikDoc& document,
                 std::unique_ptr<IFormClock> clock = std::make_unique<CWallClock>());
    ~CBrenvikView() override;

    static IFrameView* Create(CMainFrame& frame, CBrenvikDoc& document);
    // Makes forms that honour and hold UUCP device locks in `lockFolder`.
    static ViewFactory CreateWithLocksIn(std::string lockFolder);

    // IFrameView
    QWidget* Widget() override { return this; }
    void OnInitialUpdate() override;
    // "&PortSetup": closes the port, lets the user choose one, reopens.
    void OnPortSetup() override;
    // Open the window, or raise it when it is open already.
    void OnBusMonitor() override;
    void OnScanResults() override;

    // Puts a channel into the RF Channel field as if typed there and left;
    // nothing is sent until the user presses Set.
    void UseChannel(int channel);
    // The figures of the running or last scan.
    const busreport::CScanStats& ScanResults() const { return m_getAndScan.ScanResults(); }
    CBusMonitorWindow* BusMonitorWindow() const { return m_pBusMonitor; }
    CScanResultsWindow* ScanResultsWindow() const { return m_pScanResults; }

    // Exchanges the members with the controls; towards the members the rules
    // are checked and false tells that one failed (its message was shown).
    bool UpdateData(bool saveAndValidate = true);
    // (Re)opens the port of the document's m_ActiveComPort and configures it,
    // with the line stored for that port. A port whose device is absent is
    // watched and opened when the device appears; one that another program
    // holds is left to the user.
    void OpenBusPort();

    // Handlers.
    void OnTimer();
    void OnSerialEvent(std::uint32_t wParam, std::intptr_t lParam);
    void OnKillFocusChannel();
    void OnKillFocusPassword();
    void OnKillFocusName();
    void OnClearMonitor();
    void ToggleMonitorPause();
    void ToggleChannelScan();

    // The bus sequences.
    void RequestSettings();
    void WriteSettings();
    // A group reply as it came off the bus (20 bytes), shown as the
    // conversation would hand it over.
    void DecodeGroupMessage(std::span<const std::uint8_t> message);

    CSerialCWnd& SerialPort() { return m_Serial; }
    busport::CBusPort& BusPort() { return m_BusPort; }
    int ScanTicks() const { return m_getAndScan.ScanTicks(); }
    int ReplyCountdown() const { return m_getAndScan.ReplyCountdown(); }
    int TimerPeriod() const { return int(m_clock->TickPeriod().count()); }
    // Where Port Selection looks up the adapters (tests give a fake tree).
    void SetIdentityRoots(port_identity::Roots roots) { m_identityRoots = std::move(roots); }
    // Where UUCP device locks are honoured and held (none unless given).
    void SetLockFolder(std::string folder) { m_portStatus.SetLockFolder(std::move(folder)); }
    // True while the form waits for its port's device to appear.
    bool IsWatchingForPort() const { return m_portStatus.IsWatching(); }
    // True while a network interface is tried before connecting again.
    bool IsTryingInterface() const { return m_portStatus.IsTryingInterface(); }

signals:
    // A scan started (the figures start again) or counted a level reply.
    void ScanResultsChanged();

protected:
    void DoDataExchange(CDataExchange* pDX);
    void customEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ConnectControls();
    void AddAnchors();
    void ResizeParentToFit();
    // Restarts timer 13 with a new period.
    void SetTimer(int period);
    void ScanStep();
    void StartChannelScan();
    void StopChannelScan();
    void OnFocusChanged(QWidget* old, QWidget* now);
    // Runs the kill-focus handler of the edit the user has left.
    void OnLeaveEdit(QObject& edit);
    void RepaintEdits();
    void WatchTraffic();
    // Fills in what a reply from the bus carries.
    void OnGroupReply(const bus::GroupReply& reply);

    CMainFrame& m_frame;
    CBrenvikDoc& m_document;

    // Control objects.
    QLabel* m_ctlGetResult = nullptr;       // 1029
    CColorButton* m_btnScan = nullptr;      // 1026
    QPushButton* m_btnMonitorPause = nullptr; // 1007
    QLabel* m_ctlPortStatus = nullptr;      // 1006
    QListWidget* m_lstMonitor = nullptr;    // 1002

    // Exchanged with the controls.
    QString m_strName;             // 1009
    unsigned m_nPassword = 0;      // 1010
    unsigned m_nChannel = bus::kFirstChannel; // 1008
    unsigned m_nGroupId = 0;       // 1020
    QString m_strScanNote;         // 1027

    CRssiCtrl* m_ctlRssi = nullptr;   // 1024
    CClockCtrl* m_ctlClock = nullptr; // 1005

    // The conversation with the bus, on the form's serial port, which
    // posts its notifications to the form.
    busport::CBusPort m_BusPort {std::make_unique<CSerialCWnd>()};
    CSerialCWnd& m_Serial = static_cast<CSerialCWnd&>(m_BusPort.Line());
    port_identity::Roots m_identityRoots;

    std::unique_ptr<IFormClock> m_clock;
    CPortStatus m_portStatus {m_BusPort, m_Serial, *this, [this] { OpenBusPort(); }};
    CGetAndScan m_getAndScan {m_BusPort, m_portStatus, *m_clock};
    CKnownSettings m_known;
    bool m_bMonitorPaused = false;
    QPointer<CBusMonitorWindow> m_pBusMonitor;
    QPointer<CScanResultsWindow> m_pScanResults;
    bool m_bAnchorsAdded = false;
    // True while an exchange checks the rules: the message box of a failed
    // rule, and the focus it then gives back to the failing edit, are not the
    // user leaving an edit (else each box would raise the next one).
    bool m_bValidating = false;
    // The edit the focus left for the menus: left for good only when the
    // focus then goes on to somewhere else.
    QPointer<QObject> m_pEditBehindMenus;
};
