#pragma once

#include <QString>

class QWidget;

// One data exchange between a form's members and its controls. Towards the
// members (saveAndValidate) the rules are checked; the first one that fails
// shows its standard message, puts the focus on the failing control and ends
// the exchange: every later DDX_/DDV_ call of it does nothing.
class CDataExchange {
public:
    CDataExchange(QWidget& dialog, bool saveAndValidate);

    // The control with that ID, remembered as the one a failure points at.
    QWidget* PrepareCtrl(int id);
    QWidget* LastControl() const { return m_pLastControl; }

    // Shows the message for the last prepared control and ends the exchange.
    void Fail(const QString& message);
    bool Failed() const { return m_bFailed; }

    const bool m_bSaveAndValidate;

private:
    QWidget& m_dialog;
    QWidget* m_pLastControl = nullptr;
    bool m_bFailed = false;
};

// The standard validation messages.
QString IntegerRangeMessage(unsigned min, unsigned max);
QString MaxCharsMessage(int maxChars);
QString NotANumberMessage();

// Text of a control <-> a string member.
void DDX_Text(CDataExchange* pDX, int id, QString& value);
// Text of a control <-> an unsigned member; text that is no number fails with
// NotANumberMessage() and leaves the member as it was.
void DDX_Text(CDataExchange* pDX, int id, unsigned& value);
// At most maxChars characters; towards the control it limits typing in the
// edit, and a longer value stays whole there.
void DDV_MaxChars(CDataExchange* pDX, const QString& value, int maxChars);
// Checked towards the members only; the member keeps the value just read.
void DDV_MinMaxUInt(CDataExchange* pDX, unsigned value, unsigned min, unsigned max);
