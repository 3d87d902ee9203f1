// Port Selection on its own: the ports it leaves out and why, the note of an
// empty list, and how typing, Enter and a click choose a port.

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <unistd.h>

#include "app/PortSelectionDialog.h"
#include "platform/WindowStyles.h"
#include "platform/WindowText.h"
#include "serial/SerialLine.h"
#include "res/Resource.h"
#include "tests/support/PseudoTerminal.h"
#include "tests/support/ProfilePorts.h"

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

} // namespace
