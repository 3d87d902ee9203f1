// The scan results window on its own, over figures the test collects.

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <sstream>

#include "app/ScanResultsWindow.h"
#include "platform/MessageBox.h"

namespace {

class ScanResultsTest : public ::testing::Test {
protected:
    ScanResultsTest()
    {
        SetMessageBoxHook([this](QWidget*, const QString& text, MessageIcon) { messages << text; });
    }
    ~ScanResultsTest() override { SetMessageBoxHook({}); }

    void Add(int channel, int level)
    {
        stats.Add(channel, level);
        window.Refresh();
    }
    QStringList Row(int channel) const
    {
        QStringList cells;
        for (int column = 0; column < window.Table().columnCount(); ++column)
            cells << window.Table().item(channel - 11, column)->text();
        return cells;
    }

    busreport::CScanStats stats;
    std::vector<int> used;
    QImage chart {QSize(170, 93), QImage::Format_RGB32};
    CScanResultsWindow window {stats, [this](int channel) { used.push_back(channel); }, [this] { return chart; }};
    QStringList messages;
};

TEST_F(ScanResultsTest, BeforeAnyReadingEveryFigureIsADashAndNothingCanBeUsed)
{
    EXPECT_EQ(window.windowTitle(), "Scan Results");
    ASSERT_EQ(window.Table().rowCount(), 16);
    // Wi-Fi channel n overlaps radio channels n + 10 to n + 13, about.
    EXPECT_EQ(Row(11), QStringList({"11", "-", "-", "-", "-", "1"}));
    EXPECT_EQ(Row(13), QStringList({"13", "-", "-", "-", "-", "1-3"}));
    EXPECT_EQ(Row(26), QStringList({"26", "-", "-", "-", "-", "13"}));
    EXPECT_EQ(window.Verdict(), "Quietest: no channel measured yet");
    EXPECT_FALSE(window.UseButton().isEnabled());
}

TEST_F(ScanResultsTest, AScanStoppedAfterOneTickNamesTheOneChannelItMeasured)
{
    Add(11, 0); // a level of 0 is a reading, not a missing one
    EXPECT_EQ(Row(11), QStringList({"11", "0", "0", "0.0", "1", "1"}));
    EXPECT_EQ(Row(12), QStringList({"12", "-", "-", "-", "-", "1-2"}));
    EXPECT_EQ(window.Verdict(), "Quietest: 11");
    EXPECT_EQ(window.UseButton().text(), "&Use channel 11");
}

TEST_F(ScanResultsTest, TheVerdictFollowsTheCommandLinesRuleAndUseFillsInTheBest)
{
    for (int channel = 11; channel <= 26; ++channel)
        Add(channel, 100 + channel);
    Add(20, 0);   // average 60: quietest
    Add(15, 50);  // average 75.5 and peak 126
    Add(25, 15);  // average 75 and peak 135
    Add(30, 0);   // no radio channel: ignored
    EXPECT_EQ(Row(20), QStringList({"20", "0", "120", "60.0", "2", "7-10"}));
    EXPECT_EQ(window.Verdict(), "Quietest: 20, 25, 15");
    const std::vector<int> rule = stats.QuietestChannels();
    EXPECT_EQ(std::vector<int>(rule.begin(), rule.begin() + 3), (std::vector<int>{20, 25, 15}));
    window.UseButton().click();
    EXPECT_EQ(used, std::vector<int>{20});
}

TEST_F(ScanResultsTest, CopyGivesTheTableTabSeparatedAndCsvIsTheCommandLines)
{
    Add(12, 40);
    const QStringList lines = window.TabSeparated().split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 17);
    EXPECT_EQ(lines[0], "Channel\tLast\tPeak\tAverage\tReadings\tWi-Fi overlap");
    EXPECT_EQ(lines[2], "12\t40\t40\t40.0\t1\t1-2");
    QTest::mouseClick(window.findChildren<QPushButton*>().at(1), Qt::LeftButton); // Copy
    EXPECT_EQ(QApplication::clipboard()->text(), window.TabSeparated());

    QTemporaryDir dir;
    ASSERT_TRUE(window.SaveCsv(dir.filePath("scan.csv")));
    QFile file(dir.filePath("scan.csv"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    std::ostringstream expected;
    busreport::WriteScanCsv(expected, stats);
    EXPECT_EQ(file.readAll().toStdString(), expected.str());
}

TEST_F(ScanResultsTest, TheChartIsSavedAsPng)
{
    chart.fill(QColor(0, 255, 255));
    QTemporaryDir dir;
    ASSERT_TRUE(window.SaveChart(dir.filePath("chart.png")));
    const QImage saved(dir.filePath("chart.png"), "PNG");
    EXPECT_EQ(saved.size(), chart.size());
    EXPECT_EQ(saved.pixelColor(5, 5), QColor(0, 255, 255));
}

TEST_F(ScanResultsTest, AFolderThatCannotBeWrittenGivesAMessageAndNoFile)
{
    for (const auto& save : {&CScanResultsWindow::SaveCsv, &CScanResultsWindow::SaveChart}) {
        const QString nowhere = "/proc/brenvik-cannot-write-here/scan";
        EXPECT_FALSE((window.*save)(nowhere));
        EXPECT_FALSE(QFile::exists(nowhere));
    }
    ASSERT_EQ(messages.size(), 2);
    EXPECT_TRUE(messages[0].startsWith("The scan results could not be saved to /proc/")) << messages[0].toStdString();
    EXPECT_TRUE(messages[1].startsWith("The chart could not be saved to /proc/")) << messages[1].toStdString();
}

} // namespace
