#include "controls/RssiCtrl.h"
#include "controls/RssiGeometry.h"
#include "controls/SysColors.h"

#include "PaintCounter.h"
#include "PixelProbe.h"

#include <QApplication>

#include <gtest/gtest.h>

using namespace rssi_geometry;

namespace {

// The form's channels, 11 to 26.
constexpr int kFirst = 11;
constexpr int kChannels = 16;

const QColor kCyan(0, 255, 255);
const QColor kRed(255, 0, 0);
const QColor kGreen(0, 255, 0);
const QColor kOlive(128, 128, 0);
const QColor kYellow(255, 255, 0);
const QColor kBlack(0, 0, 0);

QImage Picture(const CRssiCtrl& ctrl, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    ctrl.Render(image);
    return image;
}

} // namespace

TEST(RssiGeometry, LevelsOnAGraph93PixelsHigh)
{
    EXPECT_EQ(LevelY(93, 0), 93);
    EXPECT_EQ(LevelY(93, 128), 47);
    EXPECT_EQ(LevelY(93, 255), 0);
    EXPECT_EQ(LevelY(93, kThresholdLevel), 58);
}

TEST(RssiGeometry, ColumnEdgesOfAGraph170PixelsWide)
{
    const int expected[] = {0, 10, 21, 31, 42, 53, 63, 74, 85, 95, 106, 116, 127, 138, 148, 159, 170};
    for (int i = 0; i <= kChannels; ++i)
        EXPECT_EQ(ColumnEdge(170, i, kChannels), expected[i]) << i;
    EXPECT_EQ(ColumnMiddle(170, 1, kChannels), 15); // 10 + 11 / 2
}

TEST(RssiGeometry, AverageTruncatesAfterTheProducts)
{
    EXPECT_EQ(AverageY(100, 61, 3), 93); // 100 - 6100 / 765
    EXPECT_EQ(AverageY(100, 0, 0), 100);
    EXPECT_EQ(AverageY(1080, 255 * 1000, 1000), 0);
    EXPECT_EQ(LabelPixelSize(96), 9);
    EXPECT_EQ(LabelPixelSize(72), 7);
}

TEST(RssiCtrl, TheChannelsAreTheCallersAndOthersAreIgnored)
{
    struct Row {
        const char* name;
        int first;
        int count;
        CRssiCtrl::ChannelValues samples; // after one report on each of channels 0 to 5
    };
    const Row rows[] = {
        {"three from 1", 1, 3, {1, 1, 1}},
        {"two from 4", 4, 2, {1, 1}},
        {"none, as a template makes it", 0, 0, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CRssiCtrl ctrl;
        ctrl.SetChannels(row.first, row.count);
        for (int channel = 0; channel <= 5; ++channel)
            ctrl.SetLevel(channel, 50);
        EXPECT_EQ(ctrl.Samples(), row.samples);
        EXPECT_EQ(ctrl.Description().contains(QStringLiteral("channel %1:").arg(row.first)), row.count > 0);
        EXPECT_FALSE(ctrl.Description().contains(QStringLiteral("channel %1:").arg(row.first + row.count)));
        Picture(ctrl, QSize(60, 40)); // draws whatever the count
    }
}

TEST(RssiCtrl, LevelReportsBuildTheStatistics)
{
    CRssiCtrl ctrl {kFirst, kChannels};
    for (int level : {10, 20, 31})
        ctrl.SetLevel(15, level);
    EXPECT_EQ(ctrl.Sums()[4], 61);
    EXPECT_EQ(ctrl.Samples()[4], 3);
    EXPECT_EQ(ctrl.Peaks()[4], 31);
    EXPECT_EQ(ctrl.Levels()[4], 31);

    ctrl.SetLevel(26, 7);
    EXPECT_EQ(ctrl.Levels()[15], 7);

    ctrl.ResetStats();
    EXPECT_EQ(ctrl.Levels()[4], 31);
    EXPECT_EQ(ctrl.Sums()[4], 0);
    EXPECT_EQ(ctrl.Samples()[4], 0);
    EXPECT_EQ(ctrl.Peaks()[4], 0);

    ctrl.SetLevel(15, 40);
    ctrl.ClearLevels();
    EXPECT_EQ(ctrl.Levels()[4], 0);
    EXPECT_EQ(ctrl.Peaks()[4], 40);
}

TEST(RssiCtrl, InvalidReportsChangeNothingAndDoNotRepaint)
{
    CRssiCtrl ctrl {kFirst, kChannels};
    ctrl.resize(170, 93);
    ShowAndSettle(ctrl);
    PaintCounter paints(ctrl);

    ctrl.SetLevel(10, 50);
    ctrl.SetLevel(27, 50);
    ctrl.SetLevel(15, -1);
    QApplication::processEvents();
    EXPECT_EQ(paints.Count(), 0);
    for (const auto* values : {&ctrl.Levels(), &ctrl.Sums(), &ctrl.Samples(), &ctrl.Peaks()})
        for (int v : *values)
            EXPECT_EQ(v, 0);

    ctrl.SetLevel(11, 0);
    QApplication::processEvents();
    EXPECT_EQ(paints.Count(), 1);
}

TEST(RssiCtrl, PaintsBarsLinesSeparatorsAndThresholdInOrder)
{
    const QSize size(320, 200); // columns 20 pixels wide
    CRssiCtrl ctrl {kFirst, kChannels};
    for (int ch = 11; ch <= 26; ++ch) {
        ctrl.SetLevel(ch, 200); // peak 200
        ctrl.SetLevel(ch, 50);  // average 125, bar 50
    }
    ctrl.SetLevel(11, 255); // column 0: a full bar, so the threshold crosses it
    const QImage image = Picture(ctrl, size);

    const int barTop = LevelY(200, 50);     // 161
    const int peakY = LevelY(200, 200);     // 44
    const int averageY = AverageY(200, 250, 2); // 102
    const int x = ColumnMiddle(320, 5, kChannels) + 3;
    EXPECT_EQ(image.pixelColor(x, barTop + 5), kCyan);
    EXPECT_EQ(image.pixelColor(x, barTop - 5), kBlack);
    EXPECT_EQ(image.pixelColor(x, peakY), kRed);
    EXPECT_EQ(image.pixelColor(x, averageY), kGreen);
    EXPECT_EQ(image.pixelColor(x, (peakY + averageY) / 2), kBlack);
    // Separators cut through bars and lines alike.
    for (int y : {0, peakY, averageY, barTop + 5})
        EXPECT_EQ(image.pixelColor(ColumnEdge(320, 6, kChannels), y), kOlive) << y;

    // The level-96 line: yellow dots with opaque black gaps, over the bar too.
    const int y96 = LevelY(200, kThresholdLevel);
    EXPECT_FALSE(BoundingBoxOf(image, kYellow, QRect(0, y96, 19, 1)).isNull());
    EXPECT_FALSE(BoundingBoxOf(image, kBlack, QRect(0, y96, 19, 1)).isNull());
    EXPECT_TRUE(BoundingBoxOf(image, kCyan, QRect(0, y96, 19, 1)).isNull());
    EXPECT_EQ(image.pixelColor(10, y96 + 1), kCyan);
}

TEST(RssiCtrl, LinesLieOnTheBottomEdgeWithoutReportsAndLabelsSitAtTheFoot)
{
    const QSize size(320, 200);
    CRssiCtrl ctrl {kFirst, kChannels};
    const QImage image = Picture(ctrl, size);
    const int x = ColumnMiddle(320, 3, kChannels) + 4;
    // The green line is drawn last, along the bottom row.
    EXPECT_EQ(image.pixelColor(x, 199), kGreen);
    EXPECT_EQ(image.pixelColor(x, 150), kBlack);

    // Each label is centred in the lowest quarter of its column.
    const auto isLabel = [](QColor c) { return c != kBlack && c != kGreen && c != kRed && c != kOlive; };
    for (int i = 0; i < kChannels; ++i) {
        const int left = ColumnEdge(320, i, kChannels);
        const QRect column(left, 150, ColumnEdge(320, i + 1, kChannels) - left - 1, 48);
        const QRect label = BoundingBox(image, isLabel, column);
        ASSERT_FALSE(label.isNull()) << i;
        EXPECT_NEAR(label.center().x(), ColumnMiddle(320, i, kChannels), 2) << i;
    }
}

TEST(RssiCtrl, EveryLabelPixelHasTheFullLabelColourOnBlackAndOnBars)
{
    const QSize size(170, 93); // the form's graph
    const QColor label = GetSysColor(COLOR_BACKGROUND);
    for (int level : {0, 255}) {
        CRssiCtrl ctrl {kFirst, kChannels};
        for (int ch = 11; ch <= 26; ++ch)
            ctrl.SetLevel(ch, level);
        const QImage image = Picture(ctrl, size);
        // In the lowest quarter, where the labels stand: nothing but the
        // label colour and what lies under it, no blend of the two.
        int labelPixels = 0;
        int blendedPixels = 0;
        for (int y = size.height() - size.height() / 4; y < size.height(); ++y) {
            for (int x = 0; x < size.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                labelPixels += c == label;
                blendedPixels += c != label && c != kBlack && c != kCyan && c != kOlive && c != kRed && c != kGreen;
            }
        }
        EXPECT_GT(labelPixels, 16 * 8) << "level " << level;
        EXPECT_EQ(blendedPixels, 0) << "level " << level;
    }
}

TEST(RssiCtrl, WidgetPaintShowsTheRenderedPicture)
{
    CRssiCtrl ctrl {kFirst, kChannels};
    ctrl.resize(170, 93);
    ctrl.SetLevel(13, 128);
    const QImage grabbed = ctrl.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(grabbed, Picture(ctrl, {170, 93}));
    EXPECT_EQ(grabbed.pixelColor(ColumnEdge(170, 2, kChannels) + 2, 50), kCyan);
    EXPECT_EQ(grabbed.pixelColor(ColumnEdge(170, 2, kChannels) + 2, 45), kBlack);
}
