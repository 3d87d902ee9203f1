#pragma once

#include <QDialog>
#include <QString>
#include <map>

#include "busport/LineSettings.h"
#include "serial/PortIdentity.h"
#include "serial/PortNames.h"

namespace bus {
struct LineError;
}

class CDataExchange;
class CInterfaceChoice;
class CPortDeviceField;
class QComboBox;
class QLabel;
class QPushButton;

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
// that exists, with the reason. Between them, "Device or URL" shows what
// the selected number stands for and lets the user type or pick another
// device, by-id name or network interface for it, or put back the built-in
// table's device; OK refuses an entry that names no usable one, with the
// reason. A Cancel button sits beside OK.
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
    CPortDeviceField* m_device = nullptr;
    QPushButton* m_cancelButton = nullptr;
    // Where the adapters are looked up and the built-in table's devices lie
    // (tests give a fake tree); set before DoModal.
    port_identity::Roots m_identityRoots;
    PortLookup m_builtInTable = BuiltInPortPath;
    // Out: the line chosen for m_nPort, and what its "Ports" entry becomes:
    // a device path, by-id name or URL, the built-in device (no entry), or
    // empty when the entry stays as it is.
    busport::LineSettings m_line;
    QString m_strDevice;

    // OK: refused with a message while the interface's baud rate is not
    // valid, and with the reason under the field while its entry names no
    // usable device or interface.
    void accept() override;
    // Stores what OK gave back for m_nPort ("Ports" and "Lines"); false when
    // the settings could not be written.
    bool StoreChoice() const;

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

    // Shows what a COM number stands for in "Device or URL".
    void ShowDeviceOf(int port);
    // The field's picks: the present adapters' by-id names, then the given network interfaces.
    void AddPicks(const QStringList& interfaces);
    // OK and Cancel side by side in OK's row; the tab order from the list down.
    void PlaceButtons();

    // Keeps why the port of m_strPortName was left out, unless it is absent.
    void NoteLeftOut(const std::string& path, const bus::LineError& problem);

    int m_nextTop = 0;
    // "\nCOM3 (/dev/ttyUSB0): in use by another program" for each port left out.
    QString m_strLeftOut;
    // What each COM number stands for, and what the field first shows for it
    // (its device's by-id name where it has one, which OK then keeps).
    struct PortEntry {
        QString resolved;
        QString shown;
    };
    std::map<int, PortEntry> m_entries;
};
