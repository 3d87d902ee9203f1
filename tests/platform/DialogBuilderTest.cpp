#include <gtest/gtest.h>

#include <QLabel>
#include <QPixmap>
#include <QPushButton>

#include "platform/ControlClassRegistry.h"
#include "platform/DialogBuilder.h"
#include "platform/WindowStyles.h"
#include "platform/WindowText.h"

using namespace style;

namespace {

constexpr std::uint32_t kVisibleChild = WS_CHILD | WS_VISIBLE;

QRect PixelsAt(const QWidget& host, int x, int y, int cx, int cy)
{
    return MapDialogRect(QRect(x, y, cx, cy), MeasureDialogBaseUnits(host.font()));
}

DialogTemplate ChildForm(std::span<const DialogItemTemplate> items)
{
    return {1, "", WS_CHILD, 0, 0, 200, 60, "MS Sans Serif", 8, items};
}

TEST(DialogBuilder, RegisteredFactoryForTheOwnerDrawnButton)
{
    const DialogItemTemplate items[] = {
        {1, "BUTTON", "Drawn", 10, 10, 50, 14, kVisibleChild | BS_OWNERDRAW},
        {2, "BUTTON", "Plain", 70, 10, 50, 14, kVisibleChild | BS_PUSHBUTTON},
    };
    CControlClassRegistry::Register(kOwnerDrawButtonClass, [](const DialogItemTemplate& item, QWidget* parent) {
        auto* button = new QPushButton(QString::fromUtf8(item.text.data(), item.text.size()), parent);
        button->setProperty("ownerDrawn", true);
        return button;
    });
    QWidget form;
    const QStringList missing = CDialogBuilder::Build(ChildForm(items), form);
    CControlClassRegistry::Unregister(kOwnerDrawButtonClass);

    EXPECT_TRUE(missing.isEmpty());
    QWidget* drawn = GetDlgItem(form, 1);
    EXPECT_TRUE(drawn->property("ownerDrawn").toBool());
    EXPECT_EQ(GetWindowText(*drawn), "Drawn");
    // Only the owner-drawn button goes to that factory.
    EXPECT_FALSE(GetDlgItem(form, 2)->property("ownerDrawn").toBool());
}

TEST(DialogBuilder, LabelsGrowAwayFromTheirAlignment)
{
    const DialogItemTemplate items[] = {
        {7, "STATIC", "A label far too long for its box", 40, 10, 10, 8, WS_CHILD | WS_VISIBLE | SS_RIGHT},
        {8, "STATIC", "A label far too long for its box", 40, 20, 10, 8, WS_CHILD | WS_VISIBLE | SS_LEFT},
        {9, "STATIC", "A label far too long for its box", 40, 30, 10, 8, WS_CHILD | WS_VISIBLE | SS_CENTER},
        {10, "STATIC", "fits", 40, 40, 60, 8, WS_CHILD | WS_VISIBLE | SS_LEFT},
    };
    const DialogTemplate dialog = ChildForm(items);
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

TEST(DialogBuilder, UnknownClassesAreReportedAndLeftOut)
{
    const DialogItemTemplate items[] = {
        {1, "NoSuchClass", "", 10, 10, 50, 14, kVisibleChild},
        {2, "BUTTON", "Get ", 70, 10, 50, 14, kVisibleChild | BS_PUSHBUTTON},
    };
    QWidget form;
    EXPECT_EQ(CDialogBuilder::Build(ChildForm(items), form), QStringList({"NoSuchClass"}));
    EXPECT_EQ(GetDlgItem(form, 1), nullptr);
    EXPECT_NE(GetDlgItem(form, 2), nullptr);
}

// The builder knows no icons of its own: it asks the lookup it is given for
// the number an icon control names, with or without the leading '#'.
TEST(DialogBuilder, IconControlsShowWhatTheLookupGives)
{
    const DialogItemTemplate items[] = {
        {1, "STATIC", "#7", 10, 10, 20, 20, kVisibleChild | SS_ICON},
        {2, "STATIC", "8", 40, 10, 20, 20, kVisibleChild | SS_ICON},
    };
    QList<int> asked;
    const auto lookup = [&asked](int id) {
        asked << id;
        if (id != 7)
            return QIcon();
        QPixmap red(32, 32);
        red.fill(Qt::red);
        return QIcon(red);
    };
    QWidget form;
    EXPECT_TRUE(CDialogBuilder::Build(ChildForm(items), form, lookup).isEmpty());
    EXPECT_EQ(asked, QList<int>({7, 8}));
    const QPixmap shown = qobject_cast<QLabel*>(GetDlgItem(form, 1))->pixmap();
    ASSERT_FALSE(shown.isNull());
    EXPECT_EQ(shown.toImage().pixelColor(16, 16), QColor(Qt::red));
    EXPECT_TRUE(qobject_cast<QLabel*>(GetDlgItem(form, 2))->pixmap().isNull());

    QWidget withoutLookup;
    CDialogBuilder::Build(ChildForm(items), withoutLookup);
    EXPECT_TRUE(qobject_cast<QLabel*>(GetDlgItem(withoutLookup, 1))->pixmap().isNull());
}

} // namespace
