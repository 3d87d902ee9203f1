#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "platform/ControlClassRegistry.h"
#include "platform/DialogBuilder.h"
#include "platform/WindowStyles.h"
#include "platform/WindowText.h"
#include "res/DialogTemplates.h"
#include "res/Resource.h"
#include "res/ResourceIcons.h"

using namespace style;

namespace {

// Registers stand-ins for the form's custom classes for one test.
class CustomClasses {
public:
    CustomClasses()
    {
        for (const char* name : {"MFCClockCtrl", "MFCRssiCtrl"})
            CControlClassRegistry::Register(name, [name](const DialogItemTemplate&, QWidget* parent) {
                auto* w = new QWidget(parent);
                w->setProperty("madeFor", name);
                return w;
            });
    }
    ~CustomClasses()
    {
        CControlClassRegistry::Unregister("MFCClockCtrl");
        CControlClassRegistry::Unregister("MFCRssiCtrl");
    }
};

QRect PixelsAt(const QWidget& host, int x, int y, int cx, int cy)
{
    return MapDialogRect(QRect(x, y, cx, cy), MeasureDialogBaseUnits(host.font()));
}

TEST(DialogTemplates, BuildsTheWholeFormWithItsIds)
{
    CustomClasses custom;
    QWidget form;
    const DialogTemplate& tmpl = *FindDialogTemplate(IDD_BRENVIK_FORM);
    EXPECT_TRUE(CDialogBuilder::Build(tmpl, form).isEmpty());

    EXPECT_EQ(form.size(), MapDialogSize(QSize(267, 167), MeasureDialogBaseUnits(form.font())));
    for (const DialogItemTemplate& item : tmpl.items) {
        QWidget* control = GetDlgItem(form, item.id);
        ASSERT_NE(control, nullptr) << item.id;
        const QRect expected = PixelsAt(form, item.x, item.y, item.cx, item.cy);
        if (qobject_cast<QLabel*>(control)) // labels may grow to show all their text
            EXPECT_TRUE(control->geometry().contains(expected)) << item.id;
        else
            EXPECT_EQ(control->geometry(), expected) << item.id;
    }
    EXPECT_EQ(GetWindowText(*GetDlgItem(form, IDC_GET)), "Get ");
    EXPECT_EQ(GetWindowText(*GetDlgItem(form, IDC_GROUP_FRAME)), "Group Settings");
    EXPECT_EQ(GetDlgItem(form, IDC_CLOCK)->property("madeFor").toString(), "MFCClockCtrl");
    EXPECT_EQ(GetDlgItem(form, IDC_RSSI)->property("madeFor").toString(), "MFCRssiCtrl");
    EXPECT_FALSE(GetDlgItem(form, IDC_GROUP_ID)->isEnabled());
    EXPECT_TRUE(GetDlgItem(form, IDC_RF_CHANNEL)->isEnabled());
    EXPECT_TRUE(qobject_cast<QListWidget*>(GetDlgItem(form, IDC_MONITOR_LIST)));
    EXPECT_TRUE(qobject_cast<QGroupBox*>(GetDlgItem(form, IDC_GROUP_FRAME)));
    // Without a registered owner-drawn button a plain push button stands in.
    EXPECT_TRUE(qobject_cast<QPushButton*>(GetDlgItem(form, IDC_SCAN_BUTTON)));
}

TEST(DialogTemplates, StyleBitsShapeTheWidgets)
{
    CustomClasses custom;
    QWidget form;
    CDialogBuilder::Build(*FindDialogTemplate(IDD_BRENVIK_FORM), form);

    auto* channel = qobject_cast<QLineEdit*>(GetDlgItem(form, IDC_RF_CHANNEL));
    ASSERT_TRUE(channel);
    EXPECT_TRUE(channel->alignment() & Qt::AlignHCenter);
    channel->setText("");
    channel->setFocus();
    for (const char* typed : {"1", "a", "2"})
        channel->insert(typed);
    EXPECT_EQ(channel->text(), "12") << "digits only";
    auto* name = qobject_cast<QLineEdit*>(GetDlgItem(form, IDC_GROUP_NAME));
    for (const char* typed : {"a", "b", "1"})
        name->insert(typed);
    EXPECT_EQ(name->text(), "ab1");

    auto* label = qobject_cast<QLabel*>(GetDlgItem(form, IDC_RF_CHANNEL_LABEL));
    EXPECT_TRUE(label->alignment() & Qt::AlignRight);
    auto* status = qobject_cast<QLabel*>(GetDlgItem(form, IDC_PORT_STATUS));
    EXPECT_TRUE(status->alignment() & Qt::AlignHCenter);
    EXPECT_EQ(status->frameShadow(), QFrame::Sunken);

    form.show();
    for (int id : {IDC_MONITOR_LIST, IDC_GET, IDC_CLOCK, IDC_RSSI})
        EXPECT_TRUE(GetDlgItem(form, id)->isVisible()) << id;
}

TEST(DialogTemplates, PortSelectionDialog)
{
    QDialog dialog;
    EXPECT_TRUE(CDialogBuilder::Build(*FindDialogTemplate(IDD_PORT_SELECTION), dialog).isEmpty());
    EXPECT_EQ(dialog.windowTitle(), "Port Selection");
    const QSize size = MapDialogSize(QSize(130, 66), MeasureDialogBaseUnits(dialog.font()));
    EXPECT_EQ(dialog.minimumSize(), size);
    EXPECT_EQ(dialog.maximumSize(), size);
    auto* combo = qobject_cast<QComboBox*>(GetDlgItem(dialog, IDC_PORT_COMBO));
    ASSERT_TRUE(combo);
    EXPECT_TRUE(combo->isEditable());
    EXPECT_LT(combo->height(), PixelsAt(dialog, 42, 21, 48, 172).height()) << "closed height, not the list's";
    auto* ok = qobject_cast<QPushButton*>(GetDlgItem(dialog, IDOK));
    ASSERT_TRUE(ok);
    EXPECT_TRUE(ok->isDefault());
    auto* caption = dialog.findChild<QLabel*>();
    ASSERT_TRUE(caption);
    EXPECT_EQ(caption->text(), "COM Port");
    EXPECT_TRUE(caption->objectName().isEmpty());

    ok->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST(DialogTemplates, AboutBoxShowsTheIcon)
{
    QDialog dialog;
    EXPECT_TRUE(CDialogBuilder::Build(*FindDialogTemplate(IDD_ABOUTBOX), dialog, LoadResourceIcon).isEmpty());
    EXPECT_EQ(dialog.windowTitle(), "About Brenvik");
    const QList<QLabel*> labels = dialog.findChildren<QLabel*>();
    const bool hasIcon = std::any_of(labels.begin(), labels.end(), [](QLabel* l) { return !l->pixmap().isNull(); });
    EXPECT_TRUE(hasIcon);
    EXPECT_EQ(FindDialogTemplate(999), nullptr);
}

} // namespace
