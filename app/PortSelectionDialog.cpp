#include "app/PortSelectionDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <filesystem>

#include "app/DdxControl.h"
#include "app/InterfaceChoice.h"
#include "app/PortDeviceField.h"
#include "settings/Profile.h"
#include "platform/MessageBox.h"
#include "platform/DialogBuilder.h"
#include "platform/WindowStyles.h"
#include "platform/WindowText.h"
#include "res/DialogTemplates.h"
#include "res/Resource.h"
#include "bus/BusLimits.h"
#include "busport/BusPort.h"
#include "busport/LineErrorText.h"
#include "serial/NetworkAddress.h"

namespace {

// The item data role that keeps an entry's by-id name.
constexpr int kByIdRole = Qt::UserRole + 1;

// The adapter behind a device, in a line: "Maker Product, serial S (USB 0403:6001)".
QString AdapterText(const port_identity::UsbIdentity& usb)
{
    QStringList words;
    for (const std::string& part : {usb.manufacturer, usb.product})
        if (!part.empty())
            words << QString::fromStdString(part);
    QString text = words.join(' ');
    if (!usb.serial.empty())
        text += QStringLiteral(", serial ") + QString::fromStdString(usb.serial);
    return text + QStringLiteral(" (USB %1:%2)").arg(QString::fromStdString(usb.vendorId), QString::fromStdString(usb.productId));
}

// What an entry tells: the device, its adapter and its by-id name, a line each.
QString DeviceText(const std::string& path, const std::optional<port_identity::UsbIdentity>& usb, const QString& byId)
{
    QStringList lines {QString::fromStdString(path)};
    if (usb)
        lines << AdapterText(*usb);
    if (!byId.isEmpty())
        lines << byId;
    return lines.join('\n');
}

} // namespace

CPortSelectionDialog::CPortSelectionDialog(QWidget* parent) : QDialog(parent)
{
    CDialogBuilder::Build(*FindDialogTemplate(IDD_PORT_SELECTION), *this);
    CDataExchange dx(*this, false);
    DoDataExchange(&dx);
    // Text typed into the field selects nothing and never becomes an entry.
    // The combo box would complete it from the list (and Enter would take the
    // completion instead of pressing OK) and would select the entry it
    // matches when editing ends.
    m_portCombo->setInsertPolicy(QComboBox::NoInsert);
    m_portCombo->setCompleter(nullptr);
    disconnect(m_portCombo->lineEdit(), &QLineEdit::editingFinished, m_portCombo, nullptr);
    connect(m_portCombo, &QComboBox::activated, this, &CPortSelectionDialog::OnSelChangePort);
    m_cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancelButton->setAutoDefault(false);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

CPortSelectionDialog::~CPortSelectionDialog() = default;

void CPortSelectionDialog::DoDataExchange(CDataExchange* pDX)
{
    DDX_Control(pDX, IDC_PORT_COMBO, m_portCombo);
}

int CPortSelectionDialog::DoModal()
{
    OnInitDialog();
    return exec() == QDialog::Accepted ? IDOK : IDCANCEL;
}

bool CPortSelectionDialog::OnInitDialog()
{
    int selected = -1;
    m_strLeftOut.clear();
    m_entries.clear();
    QStringList interfaces;
    const PortLookup ports = ProfilePortLookup(m_builtInTable);
    for (int n = bus::kFirstComPort; n <= bus::kLastComPort; ++n) {
        m_strPortName = QStringLiteral("COM%1").arg(n);
        const std::string path = ResolvePortName(m_strPortName.toStdString(), ports).value_or("");
        m_entries[n] = {QString::fromStdString(path), QString::fromStdString(path)};
        if (LooksLikeUrl(path) && !interfaces.contains(m_entries[n].resolved))
            interfaces << m_entries[n].resolved;
        if (const bus::LineError problem = busport::ProbeLine(path)) {
            NoteLeftOut(path, problem);
            continue;
        }
        m_portCombo->addItem(m_strPortName, n);
        // Linux users know their ports by path and their adapters by name:
        // show both beside the COM name.
        const std::vector<std::string> byId = port_identity::ByIdNames(path, m_identityRoots);
        const QString stableName = byId.empty() ? QString() : QString::fromStdString(byId.front());
        const int index = m_portCombo->count() - 1;
        m_portCombo->setItemData(index, DeviceText(path, port_identity::UsbIdentityOf(path, m_identityRoots), stableName),
                                 Qt::ToolTipRole);
        m_portCombo->setItemData(index, stableName, kByIdRole);
        if (!stableName.isEmpty())
            m_entries[n].shown = stableName;
        if (n == m_nPort)
            selected = m_portCombo->count() - 1;
    }
    m_nextTop = m_portCombo->geometry().bottom() + 1;
    if (m_portCombo->count() == 0)
        ShowNoPortNote();
    else
        AddAdapterNote();
    m_device = new CPortDeviceField(this);
    AddPicks(interfaces);
    AddUnderList(*m_device);
    m_interface = new CInterfaceChoice(this);
    AddUnderList(*m_interface);
    ShowLineOf(m_nPort);
    ShowDeviceOf(m_nPort);
    // The first entry added is not a choice: only the current port is preselected.
    m_portCombo->setCurrentIndex(selected);
    ShowSelectedPort();
    PlaceButtons();
    m_portCombo->setFocus();
    return true;
}

void CPortSelectionDialog::AddPicks(const QStringList& interfaces)
{
    std::vector<std::string> names;
    std::error_code unreadable;
    for (const std::filesystem::directory_entry& link : std::filesystem::directory_iterator(m_identityRoots.byId, unreadable)) {
        if (std::filesystem::exists(link.path(), unreadable))
            names.push_back(link.path().string());
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        const QString entry = QString::fromStdString(name);
        const std::optional<port_identity::UsbIdentity> usb = port_identity::UsbIdentityOf(name, m_identityRoots);
        m_device->AddPick(usb ? AdapterText(*usb) + QStringLiteral(": ") + entry : entry, entry);
    }
    for (const QString& url : interfaces)
        m_device->AddPick(QStringLiteral("Network interface: ") + url, url);
}

void CPortSelectionDialog::ShowDeviceOf(int port)
{
    const auto entry = m_entries.find(port);
    m_device->ShowPort(entry != m_entries.end() ? entry->second.shown : QString(),
                       QString::fromStdString(m_builtInTable(port).value_or("")));
}

void CPortSelectionDialog::PlaceButtons()
{
    QWidget& ok = *GetDlgItem(*this, IDOK);
    const int gap = fontMetrics().averageCharWidth();
    const int left = (width() - 2 * ok.width() - gap) / 2;
    ok.move(left, ok.y());
    m_cancelButton->setGeometry(left + ok.width() + gap, ok.y(), ok.width(), ok.height());
    m_cancelButton->show();
    QWidgetList order;
    order << m_portCombo << m_device->m_deviceCombo << m_device->m_builtInButton << m_interface->m_interfaceCombo
          << m_interface->m_baudEdit << m_interface->m_rtsCtsCheck << &ok << m_cancelButton;
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void CPortSelectionDialog::ShowNoPortNote()
{
    auto* note = new QLabel(NoPortNote(), this);
    note->setWordWrap(true);
    note->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    AddUnderList(*note);
}

void CPortSelectionDialog::AddUnderList(QWidget& widget)
{
    const int margin = fontMetrics().averageCharWidth();
    if (widget.sizeHint().width() + 2 * margin > width())
        setFixedWidth(widget.sizeHint().width() + 2 * margin);
    const int widgetWidth = width() - 2 * margin;
    const int height = widget.hasHeightForWidth() ? widget.heightForWidth(widgetWidth) : widget.sizeHint().height();
    widget.setGeometry(margin, m_nextTop + margin, widgetWidth, height);
    widget.show();
    const int grow = height + margin;
    m_nextTop += grow;
    if (QWidget* ok = GetDlgItem(*this, IDOK))
        ok->move(ok->x(), ok->y() + grow);
    setFixedSize(width(), this->height() + grow);
}

void CPortSelectionDialog::AddAdapterNote()
{
    m_adapterNote = new QLabel(this);
    m_adapterNote->setWordWrap(true);
    m_adapterNote->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_adapterNote->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Room for the longest note, so the dialog keeps its size while the user chooses.
    QString longest;
    for (int i = 0; i < m_portCombo->count(); ++i) {
        const QString note = AdapterNote(i);
        if (note.size() > longest.size())
            longest = note;
    }
    m_adapterNote->setText(longest);
    AddUnderList(*m_adapterNote);
}

QString CPortSelectionDialog::AdapterNote(int index) const
{
    if (index < 0)
        return QString();
    QString note = m_portCombo->itemData(index, Qt::ToolTipRole).toString();
    if (!m_portCombo->itemData(index, kByIdRole).toString().isEmpty())
        note += QStringLiteral("\nOK keeps this port by its by-id name, so the adapter is found again whatever the plug order.");
    return note;
}

void CPortSelectionDialog::ShowSelectedPort()
{
    const int index = m_portCombo->currentIndex();
    // The entry's device and adapter, then the ports left out with their reasons.
    m_portCombo->setToolTip((m_portCombo->itemData(index, Qt::ToolTipRole).toString() + m_strLeftOut).trimmed());
    if (m_adapterNote)
        m_adapterNote->setText(AdapterNote(index));
}

void CPortSelectionDialog::ShowLineOf(int port)
{
    m_line = ProfileLineLookup()(port).settings;
    m_interface->SetLine(m_line);
}

void CPortSelectionDialog::accept()
{
    const std::optional<busport::LineSettings> line = m_interface->Line();
    if (!line) {
        ShowMessageBox(this, CInterfaceChoice::BaudRule());
        m_interface->m_baudEdit->setFocus();
        return;
    }
    if (m_device->Edited()) {
        const PortEntryVerdict verdict = m_device->Check();
        if (!verdict.usable) {
            m_device->m_deviceCombo->setFocus();
            m_device->m_deviceCombo->lineEdit()->selectAll();
            return;
        }
        m_strDevice = QString::fromStdString(verdict.entry);
    } else {
        // A listed port shown by its by-id name is kept by that name.
        const auto entry = m_entries.find(m_nPort);
        const bool byId = entry != m_entries.end() && entry->second.shown != entry->second.resolved;
        m_strDevice = byId ? entry->second.shown : QString();
    }
    m_line = *line;
    QDialog::accept();
}

bool CPortSelectionDialog::StoreChoice() const
{
    bool stored = StoreProfileLine(m_nPort, m_line);
    if (m_strDevice.isEmpty())
        return stored;
    const bool builtIn = m_strDevice.toStdString() == m_builtInTable(m_nPort).value_or("");
    return (builtIn ? RemoveProfilePort(m_nPort) : StoreProfilePort(m_nPort, m_strDevice)) && stored;
}

QString CPortSelectionDialog::NoPortNote()
{
    return QStringLiteral("No serial port could be opened.\nSee Help Topics, Troubleshooting.");
}

void CPortSelectionDialog::OnSelChangePort()
{
    const int index = m_portCombo->currentIndex();
    if (index < 0)
        return;
    m_nPort = m_portCombo->itemData(index).toInt();
    ShowSelectedPort();
    ShowLineOf(m_nPort);
    ShowDeviceOf(m_nPort);
}

void CPortSelectionDialog::NoteLeftOut(const std::string& path, const bus::LineError& problem)
{
    // A port that exists but cannot be opened is named with the reason.
    if (problem.fault == bus::LineFault::NoDevice)
        return;
    m_strLeftOut += QStringLiteral("\n%1 (%2): %3")
                        .arg(m_strPortName, QString::fromStdString(path),
                             QString::fromStdString(busport::LineErrorText(problem)));
}
