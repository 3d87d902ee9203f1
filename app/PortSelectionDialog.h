#pragma once

#include <QDialog>
#include <QString>

#include "busport/LineSettings.h"

class CDataExchange;
class CInterfaceChoice;
class QComboBox;

// "Port Selection" (template 130): lists the ports COM1 to COM20 that can be
// opened exclusively at this moment, preselects the current one and gives
// back the one chosen. Each entry shows its device path as a tooltip. When
// none can be opened, a line under the empty list says so and where to look.
// Under the list, the "Interface" choice shows the selected port's stored
// line and gives back the one chosen for it.
class CPortSelectionDialog : public QDialog {
    Q_OBJECT

public:

    explicit CPortSelectionDialog(QWidget* parent = nullptr);
    ~CPortSelectionDialog() override;

    // Fills the list and runs the dialog: IDOK or IDCANCEL.
    int DoModal();
    // The line under an empty list: nothing could be opened, and where to look.
    static QString NoPortNote();

    QComboBox* m_portCombo = nullptr;
    // In: the current port number. Out: the port last selected in the list.
    int m_nPort = 0;
    QString m_strPortName;
    CInterfaceChoice* m_interface = nullptr;
    // Out: the line chosen for m_nPort.
    busport::LineSettings m_line;

    // OK: refused with a message while the interface's baud rate is not valid.
    void accept() override;

protected:
    void DoDataExchange(CDataExchange* pDX);
    bool OnInitDialog();
    void OnSelChangePort();

private:
    void ShowNoPortNote();
    // Puts a widget under what is below the list, growing the dialog and moving OK down.
    void AddUnderList(QWidget& widget);
    // Shows the stored line of the selected port.
    void ShowLineOf(int port);

    int m_nextTop = 0;
};
