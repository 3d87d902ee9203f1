#include "platform/DataExchange.h"

#include <QLineEdit>
#include <QWidget>
#include <algorithm>

#include "platform/MessageBox.h"
#include "platform/WindowText.h"

CDataExchange::CDataExchange(QWidget& dialog, bool saveAndValidate)
    : m_bSaveAndValidate(saveAndValidate), m_dialog(dialog)
{
}

QWidget* CDataExchange::PrepareCtrl(int id)
{
    m_pLastControl = GetDlgItem(m_dialog, id);
    return m_pLastControl;
}

void CDataExchange::Fail(const QString& message)
{
    m_bFailed = true;
    ShowMessageBox(&m_dialog, message, MessageIcon::Warning);
    if (m_pLastControl) {
        m_pLastControl->setFocus(Qt::OtherFocusReason);
        if (auto* edit = qobject_cast<QLineEdit*>(m_pLastControl))
            edit->selectAll();
    }
}

QString IntegerRangeMessage(unsigned min, unsigned max)
{
    return QStringLiteral("Please enter an integer between %1 and %2.").arg(min).arg(max);
}

QString MaxCharsMessage(int maxChars)
{
    return QStringLiteral("Please enter no more than %1 characters.").arg(maxChars);
}

QString NotANumberMessage()
{
    return QStringLiteral("Please enter an integer.");
}

namespace {

// The control an exchange step works on, or null when the exchange has
// already failed or the form has no such control.
QWidget* ExchangeControl(CDataExchange* pDX, int id)
{
    return pDX->Failed() ? nullptr : pDX->PrepareCtrl(id);
}

} // namespace

void DDX_Text(CDataExchange* pDX, int id, QString& value)
{
    QWidget* control = ExchangeControl(pDX, id);
    if (!control)
        return;
    if (pDX->m_bSaveAndValidate)
        value = GetWindowText(*control);
    else
        SetWindowText(*control, value);
}

void DDX_Text(CDataExchange* pDX, int id, unsigned& value)
{
    QWidget* control = ExchangeControl(pDX, id);
    if (!control)
        return;
    if (!pDX->m_bSaveAndValidate) {
        SetWindowText(*control, QString::number(value));
        return;
    }
    bool ok = false;
    const unsigned parsed = GetWindowText(*control).trimmed().toUInt(&ok);
    if (!ok) {
        pDX->Fail(NotANumberMessage());
        return;
    }
    value = parsed;
}

void DDV_MaxChars(CDataExchange* pDX, const QString& value, int maxChars)
{
    if (pDX->Failed())
        return;
    if (!pDX->m_bSaveAndValidate) {
        // The limit stops typing, not a longer value given to the edit: that
        // is shown whole (the limit of an earlier exchange may have cut it),
        // so the rule speaks when it is read back.
        if (auto* edit = qobject_cast<QLineEdit*>(pDX->LastControl())) {
            edit->setMaxLength(std::max(maxChars, int(value.size())));
            if (edit->text() != value)
                edit->setText(value);
        }
        return;
    }
    if (value.size() > maxChars)
        pDX->Fail(MaxCharsMessage(maxChars));
}

void DDV_MinMaxUInt(CDataExchange* pDX, unsigned value, unsigned min, unsigned max)
{
    if (pDX->Failed() || !pDX->m_bSaveAndValidate)
        return;
    if (value < min || value > max)
        pDX->Fail(IntegerRangeMessage(min, max));
}
