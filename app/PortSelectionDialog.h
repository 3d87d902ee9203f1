#pragma once

#include <QDialog>
#include <QString>

#include "busport/LineSettings.h"
#include "serial/PortIdentity.h"

namespace bus {
struct LineError;
}

class CDataExchange;
class CInterfaceChoice;
class QComboBox;
class QLabel;

// "Port Selection" (template 130): lists the ports COM1 to COM20 that can be
// opened exclusively at this moment, preselects the current one and gives
// back the one chosen. Each entry shows its device path as a tooltip. When
// none can be opened, a line under the empty list says so and where to look.
// Each entry's tooltip, and a note under the list for the selected one, also
// name the USB adapter behind the device and its stable /dev/serial/by-id
// name; a port chosen with such a name is given back by that name, so the
// adapter is found again whatever the plug order. Under that, the
// "Interface" choice shows the selected port's stored line and gives back
// the one chosen for it. The list's tooltip also names each port left out
// that exists, with the reason.
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
    QLabel* m_adapterNote = nullptr;
    // Where the adapters are looked up (tests give a fake tree); set before DoModal.
    port_identity::Roots m_identityRoots;
    // Out: the line chosen for m_nPort, and its device's by-id name (empty when it has none).
    busport::LineSettings m_line;
    QString m_strByIdPath;

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
    // Adds the note under the list that tells the selected port's adapter.
    void AddAdapterNote();
    // The note for an entry: its device, adapter and by-id name, and that OK keeps that name.
    QString AdapterNote(int index) const;
    // The selected entry's device and adapter in the list's tooltip and the note.
    void ShowSelectedPort();

    // Keeps why the port of m_strPortName was left out, unless it is absent.
    void NoteLeftOut(const std::string& path, const bus::LineError& problem);

    int m_nextTop = 0;
    // "\nCOM3 (/dev/ttyUSB0): in use by another program" for each port left out.
    QString m_strLeftOut;
};
