// Exclusivity as an ordinary user sees it: TIOCEXCL turns other users away
// while the port is held and must not outlive the holder's descriptor.

#include "serial/ProbePort.h"
#include "serial/SerialLine.h"

#include "tests/support/PseudoTerminal.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <functional>

using namespace win32;

namespace {

constexpr uid_t kNobody = 65534;

// Runs a check in a child process as uid/gid 65534 and gives its exit code
// (0 = all good, 100 = could not drop privileges, else the failing step).
int RunAsNobody(const std::function<int()>& check)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
            ::_exit(100);
        ::_exit(check());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 200;
}

TEST(OrdinaryUser, IsTurnedAwayWhileHeldAndCanReopenAfterwards)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to drop to an ordinary user";
    PseudoTerminal pty;
    const std::string path = pty.SlavePath();

    CSerialLine holder;
    ASSERT_EQ(holder.Open(path.c_str(), 0, 0, true), 0);
    EXPECT_EQ(RunAsNobody([&] {
        CSerialLine line;
        if (line.Open(path.c_str(), 0, 0, true) != ERROR_ACCESS_DENIED)
            return 1;
        return ProbePort(path.c_str()) == PortBusy ? 0 : 2;
    }), 0);
    holder.Close();

    EXPECT_EQ(RunAsNobody([&] {
        for (int round = 0; round < 3; ++round) {
            CSerialLine line;
            if (line.Open(path.c_str(), 0, 0, true) != 0)
                return 10 + round;
            line.Close();
            if (ProbePort(path.c_str()) != PortFree)
                return 20 + round;
        }
        return 0;
    }), 0);

    // And root after the ordinary user.
    EXPECT_EQ(holder.Open(path.c_str(), 0, 0, true), 0);
}

TEST(OrdinaryUser, AForbiddenPortProbesAsBusyWithItsReason)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to drop to an ordinary user";
    PseudoTerminal pty;
    const std::string path = pty.SlavePath();
    ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
    EXPECT_EQ(RunAsNobody([&] {
        std::error_code reason;
        if (ProbePort(path.c_str(), &reason) != PortBusy)
            return 1;
        return reason.value() == EACCES ? 0 : 2;
    }), 0);
}

}  // namespace
