#include <gtest/gtest.h>

#include <QFontInfo>
#include <QFontMetrics>

#include "platform/DialogBuilder.h"
#include "platform/DialogUnits.h"
#include "platform/WindowStyles.h"

namespace {

// The form's frame: 267 x 167 dialog units of 8-point "MS Sans Serif".
const DialogTemplate kForm {1, "", style::WS_CHILD, 0, 0, 267, 167, "MS Sans Serif", 8, {}};

TEST(DialogUnits, MulDivRoundsHalfAwayFromZero)
{
    EXPECT_EQ(MulDiv(267, 6, 4), 401);  // 400.5
    EXPECT_EQ(MulDiv(167, 13, 8), 271); // 271.375
    EXPECT_EQ(MulDiv(57, 13, 8), 93);   // 92.625
    EXPECT_EQ(MulDiv(-267, 6, 4), -401);
    EXPECT_EQ(MulDiv(267, -6, 4), -401);
    EXPECT_EQ(MulDiv(5, 1, 0), -1);
    EXPECT_EQ(MulDiv(2000000000, 3, 4), 1500000000); // no overflow in between
}

TEST(DialogUnits, FormAndBarGraphAtSixByThirteen)
{
    const DialogBaseUnits base{6, 13};
    EXPECT_EQ(MapDialogSize(QSize(267, 167), base), QSize(401, 271));
    EXPECT_EQ(MapDialogRect(QRect(10, 78, 170, 57), base), QRect(15, 127, 255, 93));
}

TEST(DialogUnits, BaseUnitsFollowTheFont)
{
    const QFont font = CDialogBuilder::TemplateFont(kForm);
    const DialogBaseUnits base = MeasureDialogBaseUnits(font);
    const QFontMetrics metrics(font);
    EXPECT_EQ(base.cy, metrics.height());
    // Half the average letter width, rounded: within half a pixel of it.
    const double average = metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 52.0;
    EXPECT_NEAR(base.cx, average, 1.0);
    // An 8-point sans serif comes out near the classic 6 x 13.
    EXPECT_GE(base.cx, 5);
    EXPECT_LE(base.cx, 8);
    EXPECT_GE(base.cy, 11);
    EXPECT_LE(base.cy, 16);
}

TEST(DialogUnits, CondensedSansGivesTheClassicFormSize)
{
    const QFont font = CDialogBuilder::TemplateFont(kForm);
    if (QFontInfo(font).family() != "DejaVu Sans Condensed")
        GTEST_SKIP() << "fonts-dejavu-extra is not installed";
    const DialogBaseUnits base = MeasureDialogBaseUnits(font);
    EXPECT_EQ(base.cx, 6);
    EXPECT_EQ(base.cy, 13);
    EXPECT_EQ(MapDialogSize(QSize(kForm.cx, kForm.cy), base), QSize(401, 271));
}

} // namespace
