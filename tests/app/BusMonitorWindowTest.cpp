// The bus monitor window on its own: what it lists, keeps, filters, follows
// and saves, fed through a framer as the form feeds it.

#include <gtest/gtest.h>

#include <QFile>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <random>
#include <utility>

#include "app/BusMonitorWindow.h"
#include "app/TrafficListModel.h"
#include "bus/BusFramer.h"
#include "bus/GroupReply.h"
#include "bus/GroupRequests.h"
#include "platform/MessageBox.h"
#include "serial/SerialTypes.h"

namespace {

using busreport::TrafficKind;

// The window fed by a framer; the conversation tells it which message was an echo.
class MonitorTest : public ::testing::Test {
protected:
    MonitorTest()
    {
        framer.SetMessageObserver(
            [this](std::span<const std::uint8_t> m) { window.OnMessage(m, std::exchange(nextIsEcho, false)); });
        framer.SetBadMessageObserver([this](std::span<const std::uint8_t> m) { window.OnBadMessage(m); });
        SetMessageBoxHook([this](QWidget*, const QString& text, MessageIcon) { messages << text; });
    }
    ~MonitorTest() override { SetMessageBoxHook({}); }

    void Feed(const bus::GroupMessageFields& fields) { framer.ProcessRxBytes(bus::PackGroupMessage(fields)); }
    QStringList Shown()
    {
        window.Refresh();
        return window.Model().ShownText();
    }

    CBusMonitorWindow window;
    CBusFramer framer;
    bool nextIsEcho = false;
    QStringList messages;
};

TEST_F(MonitorTest, ListsEachMessageWithTimeHexAndWordsAndMarksTheEcho)
{
    EXPECT_EQ(window.windowTitle(), "Trakbus Monitor");
    nextIsEcho = true;
    Feed(bus::MakeSettingsRequest());
    Feed(bus::MakeSettingsReply({"Shed42", 1234, 15, 7}));
    bus::GroupMessageFields corrupt = bus::MakeLevelReply(12, 80);
    auto bytes = bus::PackGroupMessage(corrupt);
    bytes[19] ^= 0x01;
    framer.ProcessRxBytes(bytes);
    window.OnLineError(win32::CE_FRAME | win32::CE_OVERRUN);

    const QStringList lines = Shown();
    ASSERT_EQ(lines.size(), 4);
    const QRegularExpression stamp(R"(^\d\d:\d\d:\d\d\.\d\d\d  )");
    for (const QString& line : lines)
        EXPECT_TRUE(stamp.match(line).hasMatch()) << line.toStdString();
    EXPECT_TRUE(lines[0].endsWith("E5 14 03 08 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 05  echo of Get request"));
    EXPECT_TRUE(lines[1].endsWith("reply: name \"Shed42\", group ID 7, key 1234, channel 15"));
    EXPECT_TRUE(lines[2].endsWith("bad checksum, dropped"));
    EXPECT_TRUE(lines[3].endsWith("line error: framing, overrun, pending input discarded"));
}

TEST_F(MonitorTest, AFloodKeepsTheNewestTenThousandAndSaysHowManyDropped)
{
    for (int i = 0; i < 12'345; ++i)
        Feed(bus::MakeLevelReply(11 + i % 16, i % 256));
    const QStringList lines = Shown();
    ASSERT_EQ(lines.size(), 10'000);
    EXPECT_TRUE(lines.back().endsWith(QStringLiteral("level of channel %1: %2").arg(11 + 12'344 % 16).arg(12'344 % 256)));
    EXPECT_EQ(window.Log().Dropped(), 2'345u);
    QStringList labels;
    for (const QLabel* label : window.findChildren<QLabel*>())
        labels << label->text();
    EXPECT_TRUE(labels.contains("10000 lines, 2345 older dropped")) << labels.join('|').toStdString();
}

TEST_F(MonitorTest, NoiseIsShownAsWhatItIsWithoutEndingTheList)
{
    std::mt19937 random(7);
    std::vector<std::uint8_t> noise(20'000);
    for (auto& byte : noise)
        byte = std::uint8_t(random());
    framer.ProcessRxBytes(noise);
    Feed(bus::MakeSettingsReply({"After", 1, 11, 2}));
    const QStringList lines = Shown();
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_TRUE(lines.back().endsWith("reply: name \"After\", group ID 2, key 1, channel 11"));
    EXPECT_EQ(std::uint64_t(lines.filter("bad checksum").size()), framer.BadChecksumCount());
}

TEST_F(MonitorTest, TheFilterHidesKindsAndBringsThemBack)
{
    Feed(bus::MakeLevelQuery(11));
    Feed(bus::MakeSettingsRequest());
    Feed(bus::MakeLevelReply(11, 3));
    window.Model().SetShown(TrafficKind::Levels, false);
    QStringList lines = Shown();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].endsWith("Get request"));
    Feed(bus::MakeLevelReply(12, 4)); // arrives while hidden
    Feed(bus::MakeRfChannelWrite(14));
    EXPECT_EQ(Shown().size(), 2);
    window.Model().SetShown(TrafficKind::Levels, true);
    EXPECT_EQ(Shown().size(), 5);
}

TEST_F(MonitorTest, PauseRecordsNothingAndClearEmptiesTheList)
{
    auto* pause = window.findChild<QPushButton*>();
    Feed(bus::MakeSettingsRequest());
    window.TogglePause();
    Feed(bus::MakeSettingsRequest());
    window.OnLineError(win32::CE_BREAK);
    EXPECT_EQ(Shown().size(), 1);
    ASSERT_NE(pause, nullptr);
    EXPECT_EQ(pause->text(), "R&un"); // Alt+R is Errors
    window.TogglePause();
    EXPECT_EQ(pause->text(), "&Pause");
    Feed(bus::MakeSettingsRequest());
    EXPECT_EQ(Shown().size(), 2);
    window.Clear();
    EXPECT_TRUE(Shown().isEmpty());
    Feed(bus::MakeSettingsRequest());
    EXPECT_EQ(Shown().size(), 1);
}

TEST_F(MonitorTest, FollowsTheNewestLineUnlessTheUserScrolledUp)
{
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QScrollBar& bar = *window.List().verticalScrollBar();
    for (int i = 0; i < 200; ++i)
        Feed(bus::MakeLevelQuery(11));
    window.Refresh();
    ASSERT_GT(bar.maximum(), 0);
    EXPECT_EQ(bar.value(), bar.maximum());
    window.List().verticalScrollBar()->setValue(3);
    for (int i = 0; i < 50; ++i)
        Feed(bus::MakeLevelQuery(12));
    window.Refresh();
    EXPECT_EQ(bar.value(), 3);
    window.List().scrollToBottom();
    Feed(bus::MakeLevelQuery(13));
    window.Refresh();
    EXPECT_EQ(bar.value(), bar.maximum());
}

TEST_F(MonitorTest, SavesTheShownLinesOrSaysWhyNotAndWritesNothing)
{
    Feed(bus::MakeSettingsRequest());
    Feed(bus::MakeLevelReply(11, 9));
    window.Model().SetShown(TrafficKind::Levels, false);
    QTemporaryDir dir;
    const QString path = dir.filePath("monitor.txt");
    ASSERT_TRUE(window.SaveAs(path));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList saved = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(saved, window.Model().ShownText());
    EXPECT_EQ(saved.size(), 1);

    // Not even root may make files in /proc.
    const QString nowhere = "/proc/brenvik-cannot-write-here/monitor.txt";
    EXPECT_FALSE(window.SaveAs(nowhere));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith("The monitor could not be saved to " + nowhere)) << messages[0].toStdString();
    EXPECT_FALSE(QFile::exists(nowhere));
}

} // namespace
