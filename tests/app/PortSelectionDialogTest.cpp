// Port Selection on its own: the ports it leaves out and why, the note of an
// empty list, how typing, Enter and a click choose a port, what "Device or
// URL" accepts for it and refuses, and two adapters swapped by a re-plug.

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

#include "app/PortDeviceField.h"
#include "app/PortSelectionDialog.h"
#include "platform/WindowStyles.h"
#include "platform/WindowText.h"
#include "serial/SerialLine.h"
#include "res/Resource.h"
#include "tests/support/PseudoTerminal.h"
#include "tests/support/EventLoopWait.h"
#include "tests/support/FakeSystemTree.h"
#include "tests/support/ProfilePorts.h"
#include "tests/support/ScriptedServer.h"

namespace {

TEST(PortSelectionDialog, APortLeftOutIsNamedWithTheReason)
{
    PseudoTerminal held, free;
    char plainFile[] = "/tmp/brenvik-dialog-XXXXXX";
    const int file = ::mkstemp(plainFile);
    ASSERT_GE(file, 0);
    ::close(file);
    ProfilePorts ports;
    ports.Map(2, held.SlavePath());
    ports.Map(3, plainFile);
    ports.Map(4, "/dev/null");
    ports.Map(5, free.SlavePath());
    CSerialLine holder;
    ASSERT_EQ(holder.Open(held.Path(), 0, 0, true), 0);
    CPortSelectionDialog dialog;
    dialog.m_nPort = 5;
    QTimer::singleShot(0, &dialog, &QDialog::accept);
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.m_portCombo->count(), 1);
    EXPECT_EQ(dialog.m_portCombo->toolTip(),
              QString::fromStdString(free.SlavePath() + "\nCOM2 (" + held.SlavePath() + "): in use by another program"
                                     + "\nCOM3 (" + plainFile + "): not a serial device"
                                     + "\nCOM4 (/dev/null): not a serial device"));
    ::unlink(plainFile);
}

TEST(PortSelectionDialog, WithNoFreePortTheGivenNumberStandsAndTypingAddsNothing)
{
    ProfilePorts ports; // every COM number leads to a missing path
    CPortSelectionDialog dialog;
    dialog.m_nPort = 3;
    QTimer::singleShot(0, [&] {
        EXPECT_EQ(dialog.m_portCombo->count(), 0);
        EXPECT_EQ(dialog.m_portCombo->currentText(), "");
        QTest::keyClicks(dialog.m_portCombo, "COM9");
        QTest::keyClick(dialog.m_portCombo, Qt::Key_Return);
        EXPECT_EQ(dialog.m_portCombo->count(), 0);
        dialog.accept();
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.m_nPort, 3);
}

// Runs the dialog on COM2 and COM5 (both free) with COM2 current; `act`
// works it from inside its loop. A dialog still open after a generous
// watchdog is cancelled.
int RunPortDialogOnTwoPorts(CPortSelectionDialog& dialog, const std::function<void()>& act)
{
    PseudoTerminal com2, com5;
    ProfilePorts ports;
    ports.Map(2, com2.SlavePath());
    ports.Map(5, com5.SlavePath());
    dialog.m_nPort = 2;
    dialog.m_identityRoots = {"/nonexistent/sys", "/nonexistent/by-id", "/nonexistent/proc"};
    // The built-in table's devices: none there.
    dialog.m_builtInTable = [](int n) { return std::optional("/nonexistent/brenvik-builtin-COM" + std::to_string(n)); };
    QTimer::singleShot(0, &dialog, act);
    QTimer::singleShot(20000, &dialog, &QDialog::reject);
    return dialog.DoModal();
}

// The labels of the dialog that show the note for an empty list.
QList<QLabel*> NoPortNotes(const QDialog& dialog)
{
    QList<QLabel*> notes = dialog.findChildren<QLabel*>();
    notes.removeIf([](const QLabel* label) {
        return !label->isVisible() || label->text() != CPortSelectionDialog::NoPortNote();
    });
    return notes;
}

TEST(PortSelectionDialog, AnEmptyListHasANoteUnderItAboveOk)
{
    EXPECT_TRUE(CPortSelectionDialog::NoPortNote().contains("Troubleshooting"));
    ProfilePorts ports; // every COM number leads to a missing path
    CPortSelectionDialog dialog;
    dialog.m_nPort = 3;
    QTimer::singleShot(0, [&] {
        const QList<QLabel*> notes = NoPortNotes(dialog);
        ASSERT_EQ(notes.size(), 1);
        const QRect note = notes[0]->geometry();
        EXPECT_GT(note.top(), dialog.m_portCombo->geometry().bottom());
        EXPECT_LT(note.bottom(), GetDlgItem(dialog, IDOK)->geometry().top());
        EXPECT_TRUE(dialog.rect().contains(GetDlgItem(dialog, IDOK)->geometry()));
        EXPECT_TRUE(dialog.rect().contains(note));
        static_cast<QPushButton*>(GetDlgItem(dialog, IDOK))->click();
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.m_nPort, 3);

    CPortSelectionDialog listed;
    RunPortDialogOnTwoPorts(listed, [&] {
        EXPECT_TRUE(NoPortNotes(listed).isEmpty());
        listed.reject();
    });
}

TEST(PortSelectionDialog, TypedTextSelectsNothingAndEnterAcceptsTheCurrentChoice)
{
    // "c" would be completed to an entry, and Enter would take the completion.
    for (const char* typed : {"com5", "COM5", "c"}) {
        CPortSelectionDialog dialog;
        const int result = RunPortDialogOnTwoPorts(dialog, [&] {
            ASSERT_EQ(dialog.m_portCombo->count(), 2);
            QLineEdit& edit = *dialog.m_portCombo->lineEdit();
            edit.selectAll();
            QTest::keyClicks(&edit, typed);
            QTest::keyClick(&edit, Qt::Key_Return);
        });
        EXPECT_EQ(result, IDOK) << typed;
        EXPECT_EQ(dialog.m_nPort, 2) << typed;
        EXPECT_EQ(dialog.m_portCombo->currentIndex(), 0) << typed;
    }
}

TEST(PortSelectionDialog, AChoiceFromTheListSelectsThatPort)
{
    CPortSelectionDialog dialog;
    const int result = RunPortDialogOnTwoPorts(dialog, [&] {
        QComboBox& combo = *dialog.m_portCombo;
        combo.showPopup();
        QAbstractItemView& list = *combo.view();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(list.window()));
        const QPoint com5 = list.visualRect(list.model()->index(1, 0)).center();
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, com5);
        QTest::keyClick(combo.lineEdit(), Qt::Key_Return);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dialog.m_nPort, 5);
}

// Types into "Device or URL" as the user does, over what it held.
void TypeEntry(CPortSelectionDialog& dialog, const std::string& text)
{
    QLineEdit& edit = *dialog.m_device->m_deviceCombo->lineEdit();
    edit.setFocus();
    edit.selectAll();
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QTest::keyClicks(&edit, QString::fromStdString(text));
}

TEST(PortSelectionDialog, AnEntryIsCheckedBeforeOkAndARefusedOneKeepsTheDialogAndTheOldChoice)
{
    namespace fs = std::filesystem;
    const fs::path folder = fs::path(::testing::TempDir()) / ("brenvik-entries-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const std::string file = (folder / "not-a-device").string(), fifo = (folder / "fifo").string();
    std::ofstream(file) << "text";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    PseudoTerminal free, held;
    CSerialLine holder;
    ASSERT_EQ(holder.Open(held.Path(), 0, 0, true), 0);
    ScriptedServer server([](int client) { ScriptedServer::ReadUntilClosed(client); });
    const std::string noSerial = "cannot open: not a serial device";
    enum Press { Ok, CancelButton };
    struct Case {
        std::string typed;
        Press press;
        int result;         // a refused entry: the dialog stays until Escape
        std::string answer; // under the field
        std::string device; // m_strDevice
    };
    const Case cases[] = {
        {"", Ok, IDCANCEL, "nothing entered: type a device path or an rfc2217:// or tcp:// URL", ""},
        {"   ", Ok, IDCANCEL, "nothing entered: type a device path or an rfc2217:// or tcp:// URL", ""},
        {file, Ok, IDCANCEL, noSerial, ""},
        {folder.string(), Ok, IDCANCEL, noSerial, ""},
        {"/dev/null", Ok, IDCANCEL, noSerial, ""},
        {fifo, Ok, IDCANCEL, noSerial, ""},
        {"/nonexistent/ttyUSB0", Ok, IDCANCEL, "cannot open: no such device", ""},
        {"rfc2217://127.0.0.1", Ok, IDCANCEL, "not a network interface: no port: write HOST:PORT", ""},
        {"ftp://127.0.0.1:21", Ok, IDCANCEL, "not a network interface: unknown scheme \"ftp\" (rfc2217:// or tcp://)", ""},
        {"tcp://host.invalid:4001", Ok, IDCANCEL, "cannot connect: host not found", ""},
        {" " + free.SlavePath() + " ", Ok, IDOK, "a serial device, free", free.SlavePath()},
        {held.SlavePath(), Ok, IDOK, "in use by another program", held.SlavePath()},
        {server.Url("tcp"), Ok, IDOK, "the interface accepts a connection", server.Url("tcp")},
        {"/nonexistent/brenvik-builtin-COM2", Ok, IDOK, "the built-in table's device for this number",
         "/nonexistent/brenvik-builtin-COM2"},
        {free.SlavePath(), CancelButton, IDCANCEL, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("\"" + c.typed + "\"");
        CPortSelectionDialog dialog;
        QString answer, storedBefore, storedAfter;
        bool stayed = false;
        const int result = RunPortDialogOnTwoPorts(dialog, [&] {
            storedBefore = GetProfileString("Ports", "COM2");
            TypeEntry(dialog, c.typed);
            QTest::mouseClick(c.press == Ok ? GetDlgItem(dialog, IDOK) : dialog.m_cancelButton, Qt::LeftButton);
            storedAfter = GetProfileString("Ports", "COM2");
            if (c.press == CancelButton)
                return;
            answer = dialog.m_device->m_answer->text();
            stayed = dialog.isVisible();
            if (stayed)
                QTest::keyClick(&dialog, Qt::Key_Escape);
        });
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(stayed, c.result == IDCANCEL && c.press == Ok);
        EXPECT_EQ(answer.toStdString(), c.answer);
        EXPECT_EQ(dialog.m_strDevice.toStdString(), c.device);
        EXPECT_EQ(dialog.m_nPort, 2);
        EXPECT_EQ(storedAfter, storedBefore) << "the dialog stores nothing itself";
    }
    fs::remove_all(folder);
}

TEST(PortSelectionDialog, TwoAdaptersSwappedByARePlugEachKeepOneNumber)
{
    PseudoTerminal a, b;
    FakeSystemTree tree("dialog-swapped-adapters");
    const auto ttyOf = [](const PseudoTerminal& pty) { return std::filesystem::path(pty.SlavePath()).filename().string(); };
    tree.AddUsbTty(ttyOf(a), "2", {"0403", "6001", "Olvarn", "Bus Interface", "A"});
    tree.AddUsbTty(ttyOf(b), "3", {"0403", "6001", "Olvarn", "Bus Interface", "B"});
    const std::string byIdA = "usb-Olvarn_Bus_Interface_A-if00", byIdB = "usb-Olvarn_Bus_Interface_B-if00";
    tree.Plug("ttyUSB0", a.SlavePath(), byIdA);
    tree.Plug("ttyUSB1", b.SlavePath(), byIdB);
    ProfilePorts ports; // COM9 and COM10 stand for the fake tree's ttyUSB0 and ttyUSB1
    RemoveProfileEntry("Ports", "COM9");
    RemoveProfileEntry("Ports", "COM10");
    // COM number -> the adapter's serial number in the entry's tooltip;
    // `act` works "Device or URL" before OK.
    const auto run = [&](int current, std::map<int, QString>& listed, QStringList& picks,
                         const std::function<void(CPortDeviceField&)>& act = {}) {
        CPortSelectionDialog dialog;
        dialog.m_nPort = current;
        dialog.m_identityRoots = tree.Roots();
        dialog.m_builtInTable = tree.BuiltInTable();
        QTimer::singleShot(0, &dialog, [&] {
            for (int i = 0; i < dialog.m_portCombo->count(); ++i) {
                const QString tip = dialog.m_portCombo->itemData(i, Qt::ToolTipRole).toString();
                listed[dialog.m_portCombo->itemData(i).toInt()] = tip.section("serial ", 1).left(1);
            }
            for (int i = 0; i < dialog.m_device->m_deviceCombo->count(); ++i)
                picks << dialog.m_device->m_deviceCombo->itemText(i);
            if (act)
                act(*dialog.m_device);
            dialog.accept();
        });
        EXPECT_EQ(dialog.DoModal(), IDOK);
        EXPECT_TRUE(dialog.StoreChoice());
    };
    std::map<int, QString> listed;
    QStringList picks;
    run(9, listed, picks); // OK keeps COM9 by adapter A's by-id name
    EXPECT_EQ(listed, (std::map<int, QString> {{9, "A"}, {10, "B"}}));
    const QString root = QString::fromStdString(tree.Roots().byId + "/");
    EXPECT_EQ(picks, (QStringList {"Olvarn Bus Interface, serial A (USB 0403:6001): " + root + QString::fromStdString(byIdA),
                                   "Olvarn Bus Interface, serial B (USB 0403:6001): " + root + QString::fromStdString(byIdB)}));
    EXPECT_EQ(GetProfileString("Ports", "COM9").toStdString(), tree.Roots().byId + "/" + byIdA);
    EXPECT_EQ(GetProfileString("Ports", "COM10"), "");

    tree.Plug("ttyUSB0", b.SlavePath(), byIdB);
    tree.Plug("ttyUSB1", a.SlavePath(), byIdA);
    listed.clear();
    picks.clear();
    run(9, listed, picks, [](CPortDeviceField& field) { field.m_builtInButton->click(); });
    EXPECT_EQ(listed, (std::map<int, QString> {{9, "A"}, {10, "B"}}));
    EXPECT_TRUE(GetProfileString("Ports", "COM9").isNull()) << "back to the built-in table";

    // Without the entry each number is its own node again.
    listed.clear();
    run(9, listed, picks);
    EXPECT_EQ(listed, (std::map<int, QString> {{9, "B"}, {10, "A"}}));
}

TEST(PortSelectionDialog, TheKeyboardReachesDeviceOrUrlBuiltInAndCancel)
{
    CPortSelectionDialog dialog;
    QStringList focused;
    QString field;
    const int result = RunPortDialogOnTwoPorts(dialog, [&] {
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        const auto focus = [&] {
            QWidget* widget = QApplication::focusWidget();
            focused << (widget ? widget->accessibleName() + "|" + widget->objectName() + "|"
                                      + QString::fromLatin1(widget->metaObject()->className())
                               : "none");
        };
        QTest::keyClick(&dialog, Qt::Key_D, Qt::AltModifier);
        focus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        focus();
        QTest::keyClick(&dialog, Qt::Key_B, Qt::AltModifier); // the button shows itself pressed a moment
        WaitUntil([&] { return !dialog.m_device->m_answer->text().isEmpty(); });
        field = dialog.m_device->m_deviceCombo->currentText();
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    EXPECT_EQ(result, IDCANCEL);
    ASSERT_EQ(focused.size(), 2);
    EXPECT_TRUE(focused[0].startsWith("Device or URL|")) << focused[0].toStdString();
    EXPECT_TRUE(focused[1].endsWith("|QPushButton")) << focused[1].toStdString();
    EXPECT_EQ(field, "/nonexistent/brenvik-builtin-COM2");
    EXPECT_EQ(dialog.m_device->m_builtInButton->text(), "&Built-in");
    EXPECT_EQ(dialog.m_cancelButton->text(), "Cancel");
    EXPECT_EQ(dialog.m_strDevice, "");
}

} // namespace
