#pragma once

#include <QString>
#include <QWidget>
#include <optional>

#include "app/PortEntryCheck.h"

class QComboBox;
class QLabel;
class QPushButton;

// "Device or URL" under Port Selection's list: what the chosen COM number
// stands for, typed or picked (the present adapters by maker, product and
// serial number with their by-id names, the network interfaces already
// stored). "Built-in" puts back the built-in table's device. An entry the
// user changed is checked when the field is left and again at OK; the line
// under it shows what the check found.
class CPortDeviceField : public QWidget {
    Q_OBJECT

public:
    explicit CPortDeviceField(QWidget* parent = nullptr);

    // A pick of the list: its words and the entry it puts into the field.
    void AddPick(const QString& text, const QString& entry);
    // Shows what a COM number stands for now, and its built-in device.
    void ShowPort(const QString& current, const QString& builtIn);

    // The field without blanks around it.
    QString Entry() const;
    // Whether the user changed the field since ShowPort.
    bool Edited() const;
    // Checks the entry (a check of the same text is not repeated) and shows
    // the answer. The built-in device is always usable: it is what the
    // number stands for without an entry.
    PortEntryVerdict Check();

    QComboBox* m_deviceCombo = nullptr;
    QPushButton* m_builtInButton = nullptr;
    QLabel* m_answer = nullptr;

private:
    void TakePick(int index);
    QString m_shown;
    QString m_builtIn;
    std::optional<QString> m_checked;
    PortEntryVerdict m_verdict;
};
