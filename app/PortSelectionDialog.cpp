#include "app/PortSelectionDialog.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include "app/DdxControl.h"
#include "app/InterfaceChoice.h"
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
#include "serial/PortNames.h"

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
    const PortLookup ports = ProfilePortLookup();
    for (int n = bus::kFirstComPort; n <= bus::kLastComPort; ++n) {
        m_strPortName = QStringLiteral("COM%1").arg(n);
        const std::string path = ResolvePortName(m_strPortName.toStdString(), ports).value_or("");
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
        if (n == m_nPort)
            selected = m_portCombo->count() - 1;
    }
    m_nextTop = m_portCombo->geometry().bottom() + 1;
    if (m_portCombo->count() == 0)
        ShowNoPortNote();
    else
        AddAdapterNote();
    m_interface = new CInterfaceChoice(this);
    AddUnderList(*m_interface);
    ShowLineOf(m_nPort);
    // The first entry added is not a choice: only the current port is preselected.
    m_portCombo->setCurrentIndex(selected);
    ShowSelectedPort();
    m_portCombo->setFocus();
    return true;
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
    m_line = *line;
    const int chosen = m_portCombo->findData(m_nPort);
    m_strByIdPath = chosen >= 0 ? m_portCombo->itemData(chosen, kByIdRole).toString() : QString();
    QDialog::accept();
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
