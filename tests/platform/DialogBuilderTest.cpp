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

TEST(DialogBuilder, BuildsTheWholeFormWithItsIds)
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

TEST(DialogBuilder, StyleBitsShapeTheWidgets)
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

TEST(DialogBuilder, RegisteredFactoryForTheOwnerDrawnButton)
{
    CustomClasses custom;
    CControlClassRegistry::Register(kOwnerDrawButtonClass, [](const DialogItemTemplate& item, QWidget* parent) {
        auto* button = new QPushButton(QString::fromUtf8(item.text.data(), item.text.size()), parent);
        button->setProperty("ownerDrawn", true);
        return button;
    });
    QWidget form;
    CDialogBuilder::Build(*FindDialogTemplate(IDD_BRENVIK_FORM), form);
    CControlClassRegistry::Unregister(kOwnerDrawButtonClass);

    QWidget* scan = GetDlgItem(form, IDC_SCAN_BUTTON);
    EXPECT_TRUE(scan->property("ownerDrawn").toBool());
    EXPECT_EQ(GetWindowText(*scan), "Start Chan Scan");
    // Only the owner-drawn button goes to that factory.
    EXPECT_FALSE(GetDlgItem(form, IDC_GET)->property("ownerDrawn").toBool());
}

TEST(DialogBuilder, LabelsGrowAwayFromTheirAlignment)
{
    const DialogItemTemplate items[] = {
        {7, "STATIC", "A label far too long for its box", 40, 10, 10, 8, WS_CHILD | WS_VISIBLE | SS_RIGHT},
        {8, "STATIC", "A label far too long for its box", 40, 20, 10, 8, WS_CHILD | WS_VISIBLE | SS_LEFT},
        {9, "STATIC", "A label far too long for its box", 40, 30, 10, 8, WS_CHILD | WS_VISIBLE | SS_CENTER},
        {10, "STATIC", "fits", 40, 40, 60, 8, WS_CHILD | WS_VISIBLE | SS_LEFT},
    };
    const DialogTemplate dialog {1, "", WS_CHILD, 0, 0, 200, 60, "MS Sans Serif", 8, items};
    QWidget host;
    CDialogBuilder::Build(dialog, host);
    const QRect box = PixelsAt(host, 40, 0, 10, 8);
    const QWidget& right = *GetDlgItem(host, 7);
    const QWidget& left = *GetDlgItem(host, 8);
    const QWidget& center = *GetDlgItem(host, 9);
    const int needed = right.fontMetrics().horizontalAdvance("A label far too long for its box");
    EXPECT_GE(right.width(), needed);
    EXPECT_EQ(right.geometry().right(), box.right());
    EXPECT_EQ(left.geometry().left(), box.left());
    EXPECT_LT(center.geometry().left(), box.left());
    EXPECT_GT(center.geometry().right(), box.right());
    EXPECT_EQ(GetDlgItem(host, 10)->geometry(), PixelsAt(host, 40, 40, 60, 8));
}

TEST(DialogBuilder, UnknownClassesAreReported)
{
    QWidget form;
    const QStringList missing = CDialogBuilder::Build(*FindDialogTemplate(IDD_BRENVIK_FORM), form);
    EXPECT_EQ(missing, QStringList({"MFCClockCtrl", "MFCRssiCtrl"}));
    EXPECT_EQ(GetDlgItem(form, IDC_CLOCK), nullptr);
    EXPECT_NE(GetDlgItem(form, IDC_GET), nullptr);
}

TEST(DialogBuilder, PortSelectionDialog)
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

TEST(DialogBuilder, AboutBoxShowsTheIcon)
{
    QDialog dialog;
    EXPECT_TRUE(CDialogBuilder::Build(*FindDialogTemplate(IDD_ABOUTBOX), dialog).isEmpty());
    EXPECT_EQ(dialog.windowTitle(), "About Brenvik");
    const QList<QLabel*> labels = dialog.findChildren<QLabel*>();
    const bool hasIcon = std::any_of(labels.begin(), labels.end(), [](QLabel* l) { return !l->pixmap().isNull(); });
    EXPECT_TRUE(hasIcon);
    EXPECT_EQ(FindDialogTemplate(999), nullptr);
}

} // namespace
