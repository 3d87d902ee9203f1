#include "app/BrenvikView.h"

#include <QApplication>
#include <QEvent>
#include <QFocusEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScopedValueRollback>
#include <algorithm>
#include <chrono>
#include <utility>
#include <variant>

#include "app/BrenvikDoc.h"
#include "app/DdxControl.h"
#include "app/FormAccessibility.h"
#include "app/MainFrame.h"
#include "app/PortSelectionDialog.h"
#include "app/SingleLineValidator.h"
#include "bus/BusLimits.h"
#include "bus/GroupReply.h"
#include "bus/GroupRequests.h"
#include "busport/LineErrorText.h"
#include "busreport/WritesText.h"
#include "controls/ClockCtrl.h"
#include "controls/ColorButton.h"
#include "controls/ControlClasses.h"
#include "controls/RssiCtrl.h"
#include "platform/DataExchange.h"
#include "platform/DialogBuilder.h"
#include "settings/Profile.h"
#include "platform/MessageBox.h"
#include "platform/PortEvent.h"
#include "platform/WindowStyles.h"
#include "platform/WindowText.h"
#include "res/DialogTemplates.h"
#include "res/Resource.h"

namespace {

// The form built from its template, at the size it was designed for.
QWidget* BuildForm()
{
    // The template names the custom controls' window classes.
    RegisterControlClasses();
    auto* form = new QWidget;
    CDialogBuilder::Build(*FindDialogTemplate(IDD_BRENVIK_FORM), *form);
    return form;
}

template <class... Handlers>
struct Overloaded : Handlers... {
    using Handlers::operator()...;
};

// Makes a label that is empty in the template wide enough for the longest
// text it will show, growing to the right but staying inside the form.
void MakeRoomForText(QWidget& form, int id, const QString& longest)
{
    auto* label = qobject_cast<QLabel*>(GetDlgItem(form, id));
    if (!label)
        return;
    QRect box = label->geometry();
    box.setWidth(std::max(box.width(), label->fontMetrics().horizontalAdvance(longest) + 2));
    box.moveRight(std::min(box.right(), form.width() - 3));
    label->setGeometry(box);
}

// The menu bar or a menu: where the focus goes while the user picks a command.
bool IsMenu(const QWidget* widget)
{
    return qobject_cast<const QMenuBar*>(widget) || qobject_cast<const QMenu*>(widget);
}

// The name with blanks up to 8 characters, as the transceiver stores it.
QString PaddedName(const QString& name)
{
    return QString::fromStdString(bus::PadName(name.toStdString()));
}

} // namespace

CBrenvikView::CBrenvikView(CMainFrame& frame, CBrenvikDoc& document, std::unique_ptr<IFormClock> clock)
    : m_frame(frame), m_document(document), m_clock(std::move(clock))
{
    QWidget* form = BuildForm();
    MakeRoomForText(*form, IDC_SCAN_NOTE, kScanNote);
    SetForm(form, form->size());
    m_BusPort.SetReplyHandler([this](const bus::GroupReply& reply) { OnGroupReply(reply); });
    WatchTraffic();
    ConnectControls();
}

CBrenvikView::~CBrenvikView()
{
    // The port posts to this object: stop it while the object is whole.
    m_Serial.Close();
    // Children closing after this (the View windows) move the focus; the
    // form is no longer whole to hear of it.
    disconnect(qApp, &QApplication::focusChanged, this, nullptr);
}

IFrameView* CBrenvikView::Create(CMainFrame& frame, CBrenvikDoc& document)
{
    return new CBrenvikView(frame, document);
}

void CBrenvikView::ConnectControls()
{
    QWidget& form = *Form();
    const auto onClick = [&form, this](int id, void (CBrenvikView::*handler)()) {
        if (auto* button = qobject_cast<QAbstractButton*>(GetDlgItem(form, id)))
            connect(button, &QAbstractButton::clicked, this, handler);
    };
    onClick(IDC_MONITOR_CLEAR, &CBrenvikView::OnClearMonitor);
    onClick(IDC_MONITOR_PAUSE, &CBrenvikView::ToggleMonitorPause);
    onClick(IDC_GET, &CBrenvikView::RequestSettings);
    onClick(IDC_SET, &CBrenvikView::WriteSettings);
    onClick(IDC_SCAN_BUTTON, &CBrenvikView::ToggleChannelScan);
    // The edits are single-line: the digits-only ones refuse line breaks, and
    // neither Enter nor a paste puts one in the name.
    if (auto* name = qobject_cast<QLineEdit*>(GetDlgItem(form, IDC_GROUP_NAME)))
        name->setValidator(new CSingleLineValidator(name));
    m_lstMonitor = qobject_cast<QListWidget*>(GetDlgItem(form, IDC_MONITOR_LIST));
    if (auto* rssi = qobject_cast<CRssiCtrl*>(GetDlgItem(form, IDC_RSSI)))
        rssi->SetChannels(bus::kFirstChannel, bus::kChannelCount);
    // Leaving an edit runs its kill-focus handler (see eventFilter).
    for (int id : {IDC_RF_CHANNEL, IDC_PASSWORD_KEY, IDC_GROUP_NAME}) {
        if (QWidget* edit = GetDlgItem(form, id))
            edit->installEventFilter(this);
    }
    connect(qApp, &QApplication::focusChanged, this, &CBrenvikView::OnFocusChanged);
    MakeFormAccessible(form);
}

void CBrenvikView::DoDataExchange(CDataExchange* pDX)
{
    const QScopedValueRollback<bool> validating(m_bValidating, m_bValidating || pDX->m_bSaveAndValidate);
    DDX_Control(pDX, IDC_GET_RESULT, m_ctlGetResult);
    DDX_Control(pDX, IDC_SCAN_BUTTON, m_btnScan);
    DDX_Control(pDX, IDC_MONITOR_PAUSE, m_btnMonitorPause);
    DDX_Control(pDX, IDC_PORT_STATUS, m_ctlPortStatus);
    m_getAndScan.SetOutcomeLine(m_ctlGetResult);
    m_portStatus.SetStatusLine(m_ctlPortStatus);
    DDX_Text(pDX, IDC_GROUP_NAME, m_strName);
    DDV_MaxChars(pDX, m_strName, int(bus::kNameLength));
    DDX_Text(pDX, IDC_PASSWORD_KEY, m_nPassword);
    DDV_MinMaxUInt(pDX, m_nPassword, bus::kMinPasswordKey, bus::kMaxPasswordKey);
    DDX_Text(pDX, IDC_RF_CHANNEL, m_nChannel);
    DDV_MinMaxUInt(pDX, m_nChannel, bus::kFirstChannel, bus::kLastChannel);
    DDX_Text(pDX, IDC_GROUP_ID, m_nGroupId);
    DDV_MinMaxUInt(pDX, m_nGroupId, bus::kMinGroupId, bus::kMaxGroupId);
    DDX_Text(pDX, IDC_SCAN_NOTE, m_strScanNote);
    DDX_Control(pDX, IDC_CLOCK, m_ctlClock);
    DDX_Control(pDX, IDC_RSSI, m_ctlRssi);
}

bool CBrenvikView::UpdateData(bool saveAndValidate)
{
    CDataExchange dx(*Form(), saveAndValidate);
    DoDataExchange(&dx);
    return !dx.Failed();
}

void CBrenvikView::AddAnchors()
{
    const auto anchor = [this](std::initializer_list<int> ids, Anchor topLeft, Anchor bottomRight) {
        for (int id : ids)
            AnchorControl(id, topLeft, bottomRight);
    };
    anchor({IDC_SCAN_BUTTON, IDC_SCAN_NOTE, IDC_PORT_STATUS}, ANCHOR_TOP_RIGHT, ANCHOR_NONE);
    anchor({IDC_RSSI}, ANCHOR_TOP_LEFT, ANCHOR_MIDDLE_RIGHT);
    anchor({IDC_MONITOR_LIST}, ANCHOR_MIDDLE_LEFT, ANCHOR_BOTTOM_RIGHT);
    anchor({IDC_MONITOR_CLEAR, IDC_CLOCK, IDC_MONITOR_PAUSE}, ANCHOR_BOTTOM_CENTER, ANCHOR_BOTTOM_CENTER);
    anchor({IDC_GET_LABEL, IDC_SET_LABEL, IDC_GET, IDC_SET, IDC_GET_RESULT, IDC_RF_CHANNEL_LABEL,
            IDC_GROUP_NAME_LABEL, IDC_PASSWORD_KEY_LABEL, IDC_GROUP_ID_LABEL, IDC_RF_CHANNEL, IDC_GROUP_NAME,
            IDC_PASSWORD_KEY, IDC_GROUP_ID, IDC_GROUP_FRAME},
           ANCHOR_TOP_CENTER, ANCHOR_TOP_CENTER);
    anchor({IDC_MONITOR_CAPTION}, ANCHOR_BOTTOM_CENTER, ANCHOR_BOTTOM_CENTER);
}

void CBrenvikView::OnInitialUpdate()
{
    if (m_bAnchorsAdded) {
        // New or Open reloads the settings: keep what this session chose.
        if (m_getAndScan.Scanning())
            StopChannelScan();
        m_document.SaveToRegistry();
    } else {
        m_bAnchorsAdded = true;
        AddAnchors();
    }
    m_frame.ApplyStayOnTop();
    UpdateData(false);
    CResizableFormView::OnInitialUpdate();
    ResizeParentToFit();
    m_ctlClock->m_crText = QColor(0, 0, 128);

    m_document.LoadFromRegistry();
    m_nChannel = unsigned(m_document.m_RFChannel);
    m_nPassword = unsigned(m_document.m_PwKey);
    m_nGroupId = unsigned(m_document.m_NetWorkID);
    m_strName = m_document.m_NetName;
    m_known.Loaded({m_document.m_NetName.toStdString(), m_document.m_PwKey, m_document.m_RFChannel,
                    m_document.m_NetWorkID},
                   m_document.SettingsWereStored());

    OpenBusPort();
    m_bMonitorPaused = false;
    m_btnMonitorPause->setText(QStringLiteral("PAUSE"));
    SetTimer(kStartPeriodMs);
    for (int id : {IDC_MONITOR_LIST, IDC_MONITOR_PAUSE, IDC_MONITOR_CLEAR, IDC_MONITOR_CAPTION})
        GetDlgItem(*Form(), id)->hide();
    UpdateData(false);
}

void CBrenvikView::ResizeParentToFit()
{
    // The frame around the form, shrunk (never grown) to the form's size.
    if (QLayout* layout = m_frame.layout())
        layout->activate();
    const QWidget* menu = m_frame.menuWidget();
    const QSize chrome(2 * frameWidth(), 2 * frameWidth() + (menu ? menu->sizeHint().height() : 0));
    m_frame.resize(m_frame.size().boundedTo(DesignSize() + chrome));
}

void CBrenvikView::SetTimer(int period)
{
    m_clock->StartTicks(std::chrono::milliseconds(period), [this] { OnTimer(); });
}

void CBrenvikView::OpenBusPort()
{
    // The reopened port forgets the conversation: a Get still waiting ends
    // now, never silently.
    m_getAndScan.EndGet();
    m_portStatus.Open(m_document.m_ActiveComPort);
    // A scan goes on through the reopened port, and the status line with it.
    m_bMonitorPaused = m_getAndScan.Scanning();
}

void CBrenvikView::OnPortSetup()
{
    CPortSelectionDialog dialog(&m_frame);
    m_portStatus.Close();
    dialog.m_nPort = m_document.m_ActiveComPort;
    dialog.m_identityRoots = m_identityRoots;
    if (dialog.DoModal() == IDOK) {
        m_document.m_ActiveComPort = dialog.m_nPort;
        if (!dialog.StoreChoice())
            ShowMessageBox(this, QStringLiteral("The choice for COM%1 could not be stored.").arg(dialog.m_nPort));
    }
    OpenBusPort();
}

void CBrenvikView::OnTimer()
{
    m_portStatus.Tick(m_clock->TickPeriod());
    m_portStatus.NoticeVanishedDevice();
    if (!m_BusPort.IsOpen()) {
        m_bMonitorPaused = false;
        m_portStatus.ShowClosed();
    } else if (!m_getAndScan.TickReplyCountdown()) {
        m_portStatus.ShowOpen(m_document.m_ActiveComPort, m_bMonitorPaused);
    }
    if (m_getAndScan.Scanning())
        ScanStep();
}

void CBrenvikView::customEvent(QEvent* event)
{
    if (const CPortEvent* notification = CPortEvent::Take(event)) {
        if (notification->Message() == CSerialWnd::s_defaultComMsg)
            OnSerialEvent(notification->WParam(), notification->LParam());
        return;
    }
    CResizableFormView::customEvent(event);
}

void CBrenvikView::OnSerialEvent(std::uint32_t wParam, std::intptr_t)
{
    m_BusPort.OnSerialEvent(wParam);
}


void CBrenvikView::RepaintEdits()
{
    for (int id : {IDC_GROUP_NAME, IDC_PASSWORD_KEY, IDC_RF_CHANNEL, IDC_GROUP_ID})
        GetDlgItem(*Form(), id)->repaint();
}

void CBrenvikView::RequestSettings()
{
    m_strName = QStringLiteral("........");
    m_nChannel = 0;
    m_nGroupId = 0;
    m_nPassword = 0;
    m_known.GetStarted();
    UpdateData(false);
    // Shown before the thread blocks in the send and the pause.
    RepaintEdits();
    m_getAndScan.RequestSettings();
}

void CBrenvikView::WriteSettings()
{
    // Placeholders would overwrite the transceiver's settings.
    if (m_known.ForSet() == CKnownSettings::SetRule::Refuse) {
        ShowMessageBox(this, QLatin1String(kPlaceholdersRefused), MessageIcon::Information);
        return;
    }
    CDataExchange dx(*Form(), true);
    DoDataExchange(&dx);
    // A name, key or channel that fails its rule is not written. The group
    // ID cannot be edited (a reply may carry up to 255), so it is written as
    // it stands.
    if (dx.Failed() && dx.LastControl() != GetDlgItem(*Form(), IDC_GROUP_ID))
        return;
    if (m_known.ForSet() == CKnownSettings::SetRule::Ask && !AskYesNo(this, QLatin1String(kStartingValuesQuestion)))
        return;
    m_strName = PaddedName(m_strName);
    const bus::RadioSettings settings {.name = m_strName.toStdString(),
                                       .pwKey = std::int32_t(m_nPassword),
                                       .rfChannel = std::int32_t(m_nChannel),
                                       .netWorkId = std::int32_t(m_nGroupId)};
    const busport::CBusPort::WritesSent sent = m_getAndScan.WriteSettings(settings);
    m_known.Written(settings, sent.count);
    if (sent.count == CKnownSettings::kFields) {
        m_portStatus.NoteSet({});
        return;
    }
    // What did not go out is not what the transceiver holds: the settings
    // stored at exit stay what it is last known to hold.
    const bus::RadioSettings& known = m_known.LastKnown();
    m_document.m_NetName = QString::fromStdString(known.name);
    m_document.m_RFChannel = known.rfChannel;
    m_document.m_NetWorkID = known.netWorkId;
    m_document.m_PwKey = known.pwKey;
    const QString reason = QString::fromStdString(busport::LineErrorText(sent.error));
    const QString report = sent.count == 0
        ? QStringLiteral("Set wrote nothing: %1.").arg(reason)
        : QStringLiteral("Set was cut short after %1: %2. The transceiver may hold a mix of old and new settings.")
              .arg(QString::fromStdString(busreport::WritesSentText(sent.count)), reason);
    m_portStatus.NoteSet(report);
    ShowMessageBox(this, report);
}

void CBrenvikView::DecodeGroupMessage(std::span<const std::uint8_t> message)
{
    if (message.size() == bus::kGroupMessageSize)
        OnGroupReply(bus::DecodeGroupReply(bus::UnpackGroupMessage(message.first<bus::kGroupMessageSize>())));
}

void CBrenvikView::OnGroupReply(const bus::GroupReply& reply)
{
    if (const auto level = m_getAndScan.CountLevel(reply)) {
        m_ctlRssi->SetLevel(level->channel, level->level);
        emit ScanResultsChanged();
        return;
    }
    std::visit(Overloaded{
                   [](std::monostate) {},
                   [this](const bus::RadioSettings& settings) {
                       m_nPassword = unsigned(settings.pwKey);
                       m_nChannel = unsigned(settings.rfChannel);
                       m_nGroupId = unsigned(settings.netWorkId);
                       m_strName = QString::fromStdString(settings.name);
                       m_document.m_RFChannel = settings.rfChannel;
                       m_document.m_PwKey = settings.pwKey;
                       m_document.m_NetWorkID = settings.netWorkId;
                       m_document.m_NetName = m_strName;
                       m_known.Read(settings);
                       UpdateData(false);
                   },
                   [this](bus::RfChannelReply reply) {
                       m_nChannel = unsigned(reply.rfChannel);
                       m_known.Filled(CKnownSettings::Field::Channel);
                       UpdateData(false);
                   },
                   [this](bus::GroupIdReply reply) {
                       m_nGroupId = unsigned(reply.netWorkId);
                       m_known.Filled(CKnownSettings::Field::GroupId);
                       UpdateData(false);
                   },
                   [this](bus::PasswordKeyReply reply) {
                       m_nPassword = unsigned(reply.pwKey);
                       m_known.Filled(CKnownSettings::Field::Key);
                       UpdateData(false);
                   },
                   [](bus::ChannelLevelReply) {}, // outside a scan
               },
               reply);
}

bool CBrenvikView::eventFilter(QObject* watched, QEvent* event)
{
    // Another control or another window leaves the edit; the form's own
    // validation message does not. Nor do the menus (a menu that opens over
    // it, the menu bar taking the keys on Alt or F10): from there the user
    // comes back to the edit or goes on elsewhere, which OnFocusChanged sees.
    if (event->type() == QEvent::FocusIn && watched == m_pEditBehindMenus)
        m_pEditBehindMenus = nullptr;
    if (event->type() == QEvent::FocusOut && !m_bValidating) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::PopupFocusReason || reason == Qt::MenuBarFocusReason
            || IsMenu(QApplication::focusWidget()))
            m_pEditBehindMenus = watched;
        else
            OnLeaveEdit(*watched);
    }
    return CResizableFormView::eventFilter(watched, event);
}

void CBrenvikView::OnFocusChanged(QWidget*, QWidget* now)
{
    if (!m_pEditBehindMenus || IsMenu(now) || now == m_pEditBehindMenus)
        return;
    const QPointer<QObject> edit = std::exchange(m_pEditBehindMenus, nullptr);
    if (edit)
        OnLeaveEdit(*edit);
}

void CBrenvikView::OnLeaveEdit(QObject& edit)
{
    const int id = edit.objectName().toInt();
    // What the user typed over a placeholder is a value of its own.
    const auto* line = qobject_cast<const QLineEdit*>(&edit);
    const bool typed = line && line->isModified();
    if (id == IDC_RF_CHANNEL) {
        OnKillFocusChannel();
        if (typed)
            m_known.Filled(CKnownSettings::Field::Channel);
    } else if (id == IDC_PASSWORD_KEY) {
        OnKillFocusPassword();
        if (typed)
            m_known.Filled(CKnownSettings::Field::Key);
    } else if (id == IDC_GROUP_NAME) {
        OnKillFocusName();
        if (typed)
            m_known.Filled(CKnownSettings::Field::Name);
    }
}

void CBrenvikView::OnKillFocusChannel()
{
    UpdateData(true);
    const unsigned clamped = std::clamp(m_nChannel, unsigned(bus::kFirstChannel), unsigned(bus::kLastChannel));
    if (clamped != m_nChannel) {
        m_nChannel = clamped;
        UpdateData(false);
    }
    m_document.m_RFChannel = int(m_nChannel);
}

void CBrenvikView::OnKillFocusPassword()
{
    UpdateData(true);
    const unsigned clamped = std::min(m_nPassword, unsigned(bus::kMaxPasswordKey));
    if (clamped != m_nPassword) {
        m_nPassword = clamped;
        UpdateData(false);
    }
    m_document.m_PwKey = int(m_nPassword);
}

void CBrenvikView::OnKillFocusName()
{
    UpdateData(true);
    m_strName = PaddedName(m_strName);
    m_document.m_NetName = m_strName;
}

void CBrenvikView::ToggleMonitorPause()
{
    m_bMonitorPaused = !m_bMonitorPaused;
    m_btnMonitorPause->setText(m_bMonitorPaused ? QStringLiteral("RUN") : QStringLiteral("PAUSE"));
}

void CBrenvikView::OnClearMonitor()
{
    if (m_lstMonitor)
        m_lstMonitor->clear();
}
