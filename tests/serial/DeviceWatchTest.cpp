// Watching for a device to appear: a path in a scratch folder stands for the
// device (a link to a pseudo-terminal or a plain file), so no real device is
// looked at.

#include "serial/DeviceWatch.h"

#include "tests/support/PseudoTerminal.h"

#include <gtest/gtest.h>

#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

class DeviceWatchTest : public ::testing::Test {
protected:
    DeviceWatchTest()
    {
        char pattern[] = "/tmp/brenvik-watch-XXXXXX";
        m_root = ::mkdtemp(pattern);
    }
    ~DeviceWatchTest() override { fs::remove_all(m_root); }

    // Whether the watch reports a change within the watchdog.
    static bool Readable(const CDeviceWatch& watch)
    {
        pollfd wait {watch.Fd(), POLLIN, 0};
        return ::poll(&wait, 1, 20000) == 1;
    }
    // Whether anything is waiting now, without waiting.
    static bool ReadableNow(const CDeviceWatch& watch)
    {
        pollfd wait {watch.Fd(), POLLIN, 0};
        return ::poll(&wait, 1, 0) == 1;
    }

    std::string m_root;
};

TEST_F(DeviceWatchTest, ReportsALinkToADeviceMadeInItsFolder)
{
    PseudoTerminal device;
    const std::string path = m_root + "/usb-Olvarn_Bus_Interface_0001-if00";
    CDeviceWatch watch(path);
    ASSERT_GE(watch.Fd(), 0);
    EXPECT_FALSE(watch.TakeChanges());
    fs::create_symlink(device.SlavePath(), path);
    ASSERT_TRUE(Readable(watch));
    EXPECT_TRUE(watch.TakeChanges());
    EXPECT_FALSE(ReadableNow(watch));
}

TEST_F(DeviceWatchTest, FollowsFoldersThatAppearOnTheWayDown)
{
    // /dev/serial/by-id/ itself comes and goes with the devices.
    const std::string byId = m_root + "/serial/by-id";
    const std::string path = byId + "/usb-x";
    CDeviceWatch watch(path);
    for (const std::string& step : {m_root + "/serial", byId}) {
        fs::create_directory(step);
        ASSERT_TRUE(Readable(watch)) << step;
        EXPECT_FALSE(watch.TakeChanges()) << step;
    }
    { std::ofstream(path) << ""; }
    ASSERT_TRUE(Readable(watch));
    EXPECT_TRUE(watch.TakeChanges());
}

TEST_F(DeviceWatchTest, ADanglingLinkIsNoDeviceUntilItsTargetAppears)
{
    const std::string target = m_root + "/ttyUSB0";
    const std::string path = m_root + "/by-id-link";
    fs::create_symlink(target, path);
    CDeviceWatch watch(path);
    EXPECT_FALSE(watch.TakeChanges());
    { std::ofstream(target) << ""; }
    ASSERT_TRUE(Readable(watch));
    EXPECT_TRUE(watch.TakeChanges());
}

TEST_F(DeviceWatchTest, AFolderRemovedAndMadeAgainIsWatchedAgain)
{
    const std::string folder = m_root + "/by-id";
    fs::create_directory(folder);
    const std::string path = folder + "/usb-x";
    CDeviceWatch watch(path);
    fs::remove(folder);
    ASSERT_TRUE(Readable(watch));
    EXPECT_FALSE(watch.TakeChanges());
    fs::create_directory(folder);
    ASSERT_TRUE(Readable(watch));
    EXPECT_FALSE(watch.TakeChanges());
    { std::ofstream(path) << ""; }
    ASSERT_TRUE(Readable(watch));
    EXPECT_TRUE(watch.TakeChanges());
}

} // namespace
