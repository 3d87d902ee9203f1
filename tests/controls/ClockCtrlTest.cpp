#include "controls/ClockCtrl.h"
#include "controls/ClockText.h"
#include "controls/SysColors.h"

#include "PaintCounter.h"
#include "PixelProbe.h"

#include <QApplication>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);

QDateTime At(int day, int hour, int minute, int second, int msec = 0)
{
    return QDateTime(QDate(2026, 12, day), QTime(hour, minute, second, msec));
}

} // namespace

TEST(ClockText, DayAndHourHaveNoLeadingZero)
{
    EXPECT_EQ(FormatClockText(At(6, 9, 5, 3), kEnglish), " Sun 6 Dec 2026  9:05:03 AM ");
    EXPECT_EQ(FormatClockText(At(6, 14, 5, 9), kEnglish), " Sun 6 Dec 2026  2:05:09 PM ");
    EXPECT_EQ(FormatClockText(At(16, 23, 59, 59), kEnglish), " Wed 16 Dec 2026  11:59:59 PM ");
}

TEST(ClockText, MidnightAndNoonShowTwelve)
{
    EXPECT_EQ(FormatClockText(At(7, 0, 0, 0), kEnglish), " Mon 7 Dec 2026  12:00:00 AM ");
    EXPECT_EQ(FormatClockText(At(7, 12, 0, 0), kEnglish), " Mon 7 Dec 2026  12:00:00 PM ");
}

TEST(ClockText, NamesFollowTheLocale)
{
    const QLocale german(QLocale::German, QLocale::Germany);
    const QString text = FormatClockText(At(3, 10, 0, 0), german);
    EXPECT_TRUE(text.startsWith(" " + german.dayName(4, QLocale::ShortFormat) + " 3 "
                                + german.monthName(12, QLocale::ShortFormat) + " 2026  10:00:00 "))
        << text.toStdString();
}

TEST(ClockText, FontIsNinetyPercentOfTheHeight)
{
    EXPECT_EQ(ClockFontHeight(18), 16);
    EXPECT_EQ(ClockFontHeight(11), 9);
}

class Clock : public ::testing::Test {
protected:
    Clock()
    {
        clock.setLocale(kEnglish);
        clock.SetTimeSource([this] { return now; });
        clock.resize(330, 18);
    }

    QDateTime now = At(6, 9, 5, 3);
    CClockCtrl clock;
};

TEST_F(Clock, RunsTimerSixEvery900MillisecondsAndStartsEmpty)
{
    EXPECT_EQ(clock.TimerId(), 6u);
    const auto* timer = clock.findChild<QTimer*>();
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->interval(), 900);
    EXPECT_TRUE(clock.Text().isEmpty());
}

TEST_F(Clock, RepaintsOnlyWhenTheSecondChanges)
{
    ShowAndSettle(clock);
    PaintCounter paints(clock);

    clock.OnTimer();
    QApplication::processEvents();
    EXPECT_EQ(clock.Text(), " Sun 6 Dec 2026  9:05:03 AM ");
    EXPECT_EQ(paints.Count(), 1);

    now = At(6, 9, 5, 3, 900);
    clock.OnTimer();
    QApplication::processEvents();
    EXPECT_EQ(paints.Count(), 1);

    now = At(6, 9, 5, 4, 800);
    clock.OnTimer();
    QApplication::processEvents();
    EXPECT_EQ(paints.Count(), 2);
    EXPECT_EQ(clock.Text(), " Sun 6 Dec 2026  9:05:04 AM ");
}

TEST_F(Clock, PaintsTheTextInItsColoursAtTheTopOfTheFace)
{
    clock.resize(330, 30);
    clock.m_crText = QColor(0, 0, 128);
    clock.m_crBack = QColor(255, 255, 0);
    clock.OnTimer();
    const QImage image = clock.grab().toImage();

    const QRect text = BoundingBoxOf(image, clock.m_crText);
    ASSERT_FALSE(text.isNull());
    EXPECT_NEAR(text.center().x(), 165, 8);
    const QRect cells = BoundingBoxOf(image, clock.m_crBack);
    ASSERT_FALSE(cells.isNull());
    EXPECT_EQ(cells.top(), 0);
    EXPECT_LE(cells.bottom(), 26); // the cells end at the font height, 27 at most
    EXPECT_EQ(image.pixelColor(2, 29).rgb(), clock.palette().color(QPalette::Window).rgb());
}

TEST_F(Clock, FaceAndTextCellsHaveTheWindowColourOfTheForm)
{
    // A theme whose buttons differ from its windows, set on the form.
    QWidget form;
    QPalette palette = form.palette();
    palette.setColor(QPalette::Button, QColor(255, 0, 255));
    palette.setColor(QPalette::Window, QColor(0, 128, 128));
    form.setPalette(palette);
    auto& onForm = *new CClockCtrl(&form);
    onForm.SetTimeSource([this] { return now; });
    onForm.resize(330, 30);
    onForm.m_crText = QColor(0, 0, 128);
    onForm.OnTimer();
    const QImage image = onForm.grab().toImage();

    EXPECT_TRUE(BoundingBoxOf(image, QColor(255, 0, 255)).isNull());
    EXPECT_EQ(image.pixelColor(2, 29), QColor(0, 128, 128)); // below the text
    const QRect text = BoundingBoxOf(image, onForm.m_crText);
    ASSERT_FALSE(text.isNull());
    EXPECT_EQ(image.pixelColor(text.left() - 2, text.center().y()), QColor(0, 128, 128)); // the cell of the blank before
}
