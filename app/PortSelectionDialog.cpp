#include "app/PortSelectionDialog.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include "app/DdxControl.h"
#include "app/InterfaceChoice.h"
#include "platform/LinesStore.h"
#include "platform/MessageBox.h"
#include "platform/DialogBuilder.h"
#include "platform/WindowStyles.h"
#include "platform/WindowText.h"
#include "res/DialogTemplates.h"
#include "res/Resource.h"
#include "bus/BusLimits.h"
#include "serial/PortNames.h"
#include "serial/ProbePort.h"

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
    for (int n = bus::kFirstComPort; n <= bus::kLastComPort; ++n) {
        m_strPortName = QStringLiteral("COM%1").arg(n);
        const QByteArray device = (QStringLiteral("\\\\.\\") + m_strPortName).toLatin1();
        if (ProbePort(device.constData()) != PortFree)
            continue;
        m_portCombo->addItem(m_strPortName, n);
        // Linux users know their ports by path: show it beside the name.
        const std::optional<std::string> path = ResolvePortName(device.constData());
        m_portCombo->setItemData(m_portCombo->count() - 1, QString::fromStdString(path.value_or("")),
                                 Qt::ToolTipRole);
        if (n == m_nPort)
            selected = m_portCombo->count() - 1;
    }
    m_nextTop = m_portCombo->geometry().bottom() + 1;
    if (m_portCombo->count() == 0)
        ShowNoPortNote();
    m_interface = new CInterfaceChoice(this);
    AddUnderList(*m_interface);
    ShowLineOf(m_nPort);
    // The first entry added is not a choice: only the current port is preselected.
    m_portCombo->setCurrentIndex(selected);
    m_portCombo->setToolTip(m_portCombo->currentData(Qt::ToolTipRole).toString());
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
    m_portCombo->setToolTip(m_portCombo->itemData(index, Qt::ToolTipRole).toString());
    ShowLineOf(m_nPort);
}
