#pragma once

#include <QWidget>
#include <optional>

#include "busport/LineSettings.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

// The "Interface" choice under Port Selection's list: what the chosen port
// talks to, and so the line it is opened with. "Serial adapter, 16457 baud"
// is the bus's own line, "USB interface, 57600 baud, RTS/CTS" the usual bus
// interface, and "Other..." shows a baud rate and an RTS/CTS switch.
class CInterfaceChoice : public QWidget {
    Q_OBJECT

public:
    enum Choice { SerialAdapter, UsbInterface, Other };

    explicit CInterfaceChoice(QWidget* parent = nullptr);

    // Shows a line: one of the first two choices when it is theirs, else Other.
    void SetLine(const busport::LineSettings& line);
    // The chosen line; nothing while Other's baud rate is not a valid one.
    std::optional<busport::LineSettings> Line() const;
    // What to tell the user when Line() gives nothing.
    static QString BaudRule();

    QComboBox* m_interfaceCombo = nullptr;
    QLineEdit* m_baudEdit = nullptr;
    QCheckBox* m_rtsCtsCheck = nullptr;

private:
    void ShowOtherFields();
    QWidget* m_otherFields = nullptr;
};
