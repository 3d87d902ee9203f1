#pragma once

#include <QDialog>
#include <QString>

namespace bus {
struct LineError;
}
class CDataExchange;
class QComboBox;

// "Port Selection" (template 130): lists the ports COM1 to COM20 that can be
// opened exclusively at this moment, preselects the current one and gives
// back the one chosen. The list's tooltip shows the chosen entry's device
// path and names each port left out that exists, with the reason.
class CPortSelectionDialog : public QDialog {
    Q_OBJECT

public:

    explicit CPortSelectionDialog(QWidget* parent = nullptr);
    ~CPortSelectionDialog() override;

    // Fills the list and runs the dialog: IDOK or IDCANCEL.
    int DoModal();

    QComboBox* m_portCombo = nullptr;
    // In: the current port number. Out: the port last selected in the list.
    int m_nPort = 0;
    QString m_strPortName;

protected:
    void DoDataExchange(CDataExchange* pDX);
    bool OnInitDialog();
    void OnSelChangePort();

private:
    // Keeps why the port of m_strPortName was left out, unless it is absent.
    void NoteLeftOut(const char* device, const bus::LineError& problem);
    // The chosen entry's path, then the ports left out with their reasons.
    void UpdateToolTip();

    // "\nCOM3 (/dev/ttyUSB0): in use by another program" for each port left out.
    QString m_strLeftOut;
};
