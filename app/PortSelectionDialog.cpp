#include "app/PortSelectionDialog.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include "app/DdxControl.h"
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
    if (m_portCombo->count() == 0)
        ShowNoPortNote();
    // The first entry added is not a choice: only the current port is preselected.
    m_portCombo->setCurrentIndex(selected);
    m_portCombo->setToolTip(m_portCombo->currentData(Qt::ToolTipRole).toString());
    m_portCombo->setFocus();
    return true;
}

void CPortSelectionDialog::ShowNoPortNote()
{
    // A line under the empty list, for which the dialog grows and OK moves down.
    auto* note = new QLabel(NoPortNote(), this);
    note->setWordWrap(true);
    note->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    const int margin = fontMetrics().averageCharWidth();
    const int noteWidth = width() - 2 * margin;
    note->setGeometry(margin, m_portCombo->geometry().bottom() + margin, noteWidth, note->heightForWidth(noteWidth));
    note->show();
    const int grow = note->height() + margin;
    if (QWidget* ok = GetDlgItem(*this, IDOK))
        ok->move(ok->x(), ok->y() + grow);
    setFixedSize(width(), height() + grow);
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
}
