#include "app/PortSelectionDialog.h"

#include <QComboBox>
#include <QLineEdit>

#include "app/DdxControl.h"
#include "platform/DialogBuilder.h"
#include "platform/WindowStyles.h"
#include "res/DialogTemplates.h"
#include "res/Resource.h"
#include "bus/BusLimits.h"
#include "busport/BusPort.h"
#include "busport/LineErrorText.h"
#include "serial/PortNames.h"

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
    for (int n = bus::kFirstComPort; n <= bus::kLastComPort; ++n) {
        m_strPortName = QStringLiteral("COM%1").arg(n);
        const QByteArray device = (QStringLiteral("\\\\.\\") + m_strPortName).toLatin1();
        if (const bus::LineError problem = busport::ProbeLine(device.constData())) {
            NoteLeftOut(device.constData(), problem);
            continue;
        }
        m_portCombo->addItem(m_strPortName, n);
        // Linux users know their ports by path: show it beside the name.
        const std::optional<std::string> path = ResolvePortName(device.constData());
        m_portCombo->setItemData(m_portCombo->count() - 1, QString::fromStdString(path.value_or("")),
                                 Qt::ToolTipRole);
        if (n == m_nPort)
            selected = m_portCombo->count() - 1;
    }
    // The first entry added is not a choice: only the current port is preselected.
    m_portCombo->setCurrentIndex(selected);
    UpdateToolTip();
    m_portCombo->setFocus();
    return true;
}

void CPortSelectionDialog::OnSelChangePort()
{
    const int index = m_portCombo->currentIndex();
    if (index < 0)
        return;
    m_nPort = m_portCombo->itemData(index).toInt();
    UpdateToolTip();
}

void CPortSelectionDialog::NoteLeftOut(const char* device, const bus::LineError& problem)
{
    // A port that exists but cannot be opened is named with the reason.
    if (problem.fault == bus::LineFault::NoDevice)
        return;
    const std::optional<std::string> path = ResolvePortName(device);
    m_strLeftOut += QStringLiteral("\n%1 (%2): %3")
                        .arg(m_strPortName, QString::fromStdString(path.value_or("")),
                             QString::fromStdString(busport::LineErrorText(problem)));
}

void CPortSelectionDialog::UpdateToolTip()
{
    m_portCombo->setToolTip((m_portCombo->currentData(Qt::ToolTipRole).toString() + m_strLeftOut).trimmed());
}
