// get, set and scan through a real ser2net on the loopback, in front of the
// simulator, over RFC 2217 and over raw TCP; and the network's faults.

#include "cli/ExitCode.h"
#include "serial/DeviceLock.h"
#include "serial/SerialLine.h"

#include "CliTestSupport.h"
#include "tests/support/ChildProgram.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/Ser2Net.h"
#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <unistd.h>

#include <csignal>

#include <thread>
#include <tuple>

namespace {

using cli::ExitNoReply;
using cli::ExitOk;
using cli::ExitPortError;
using cli::ExitUsage;

// The simulator answers only at the bus speed, and ser2net's RFC 2217 side
// starts the device at 9600 baud: only the client's negotiation makes the
// line work there.
sim::SimOptions AtBusSpeedOnly()
{
    sim::SimOptions options = SimOnPty::Fast();
    options.settings = {"Depot", 4321, 19, 5};
    options.line.baud = 16457;
    return options;
}

class CliNetworkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!Ser2Net::Installed())
            GTEST_SKIP() << "ser2net is not installed (scripts/install-deps test)";
        m_sim = std::make_unique<SimOnPty>(AtBusSpeedOnly());
        m_server = std::make_unique<Ser2Net>(m_sim->Path());
    }

    // get, set and a short scan over one of the server's accepters.
    void GetSetAndScan(const std::string& url)
    {
        const CliRun get = PacedBy(*m_sim).Run({"get", "--port", url});
        EXPECT_EQ(get.code, ExitOk) << get.err;
        EXPECT_EQ(get.out, "Group name: \"Depot\"\nGroup ID:   5\nKey:        4321\nChannel:    19\n");

        const CliRun set = PacedBy(*m_sim).Run({"set", "--port", url, "--name", "Yard 2", "--channel", "23", "--key", "77"});
        EXPECT_EQ(set.code, ExitOk) << set.err;
        EXPECT_NE(set.out.find("Verified"), std::string::npos) << set.out;
        const auto written = m_sim->Written();
        EXPECT_GE(written.size(), 6u);  // Get, the four writes, Get

        const CliRun scan = PacedBy(*m_sim).Run({"scan", "--port", url, "--seconds", "0.5", "--interval", "25"});
        EXPECT_EQ(scan.code, ExitOk) << scan.err;
        EXPECT_NE(scan.out.find("     26  "), std::string::npos) << scan.out;
    }

    std::unique_ptr<SimOnPty> m_sim;
    std::unique_ptr<Ser2Net> m_server;
};

TEST_F(CliNetworkTest, GetSetAndScanOverRfc2217)
{
    GetSetAndScan(m_server->Rfc2217Url());
}

TEST_F(CliNetworkTest, GetSetAndScanOverRawTcp)
{
    GetSetAndScan(m_server->TcpUrl());
}

TEST_F(CliNetworkTest, TheNegotiatedSpeedIsWhatTheTransceiverHears)
{
    // Asked for 9600 baud, the server sets it, and the transceiver hears nothing it understands.
    const CliRun run = PacedBy(*m_sim).Run({"get", "--port", m_server->Rfc2217Url(), "--baud", "9600", "--timeout", "200"});
    EXPECT_EQ(run.code, ExitNoReply) << run.err;
}

TEST_F(CliNetworkTest, TheServerStoppingMidSessionEndsWithOnePortErrorLine)
{
    CliRun run;
    std::thread scan([&] {
        run = CliHarness().Run({"scan", "--port", m_server->Rfc2217Url(), "--seconds", "30", "--interval", "20"});
    });
    EXPECT_TRUE(Eventually([&] { return !m_sim->Written().empty(); }));
    m_server->Stop();
    scan.join();
    EXPECT_EQ(run.code, ExitPortError);
    EXPECT_EQ(CountLines(run.err), 1) << run.err;
    EXPECT_NE(run.err.find("the connection to the server was lost"), std::string::npos) << run.err;
}

// The server turns a second client away with a line of text, over either
// protocol; over a plain stream only the first read finds that out.
TEST_F(CliNetworkTest, ASecondClientIsTurnedAwayAsBusy)
{
    for (const std::string& url : {m_server->Rfc2217Url(), m_server->TcpUrl()}) {
        SCOPED_TRACE(url);
        CSerialLine first;
        ASSERT_EQ(first.Open(url.c_str(), 512, 512, true), 0);
        ASSERT_EQ(first.Setup(16457, 8, win32::NOPARITY, win32::ONESTOPBIT), 0);
        for (const char* command : {"get", "scan"}) {
            const CliRun run = CliHarness().Run({command, "--json", "--port", url});
            EXPECT_EQ(run.code, ExitPortError);
            const nlohmann::json json = nlohmann::json::parse(run.out);
            EXPECT_EQ(json["error"], "busy") << run.out;
            EXPECT_NE(json["message"].get<std::string>().find("the server turned the connection away"),
                      std::string::npos) << run.out;
        }
    }
}

// ser2net and brenvik-cli each find the other holding the device by the
// UUCP lock in ser2net's folder, and neither takes it from the other.
TEST_F(CliNetworkTest, Ser2NetAndTheProgramKeepToEachOthersLocks)
{
    if (::access(Ser2Net::kLockFolder, W_OK) != 0)
        GTEST_SKIP() << Ser2Net::kLockFolder << " takes no lock of ours";
    m_server = std::make_unique<Ser2Net>(m_sim->Path(), Ser2Net::Locks::Uucp);
    const std::string lock = device_lock::LockPath(Ser2Net::kLockFolder, m_sim->Path());
    CliHarness cli;
    cli.LockIn(Ser2Net::kLockFolder);
    cli.Map(1, m_sim->Path());
    {
        CSerialLine client;  // ser2net's client: ser2net has the device
        ASSERT_EQ(client.Open(m_server->Rfc2217Url().c_str(), 512, 512, true), 0);
        ASSERT_EQ(client.Setup(16457, 8, win32::NOPARITY, win32::ONESTOPBIT), 0);
        const std::string holder = "held by ser2net (pid " + std::to_string(m_server->Pid()) + "), by its lock";
        const CliRun get = cli.Run({"get", "--port", m_sim->Path()});
        EXPECT_EQ(get.code, ExitPortError);
        EXPECT_NE(get.err.find(holder), std::string::npos) << get.err;
        EXPECT_NE(cli.Run({"ports", "--probe"}).out.find("busy (" + holder + ")"), std::string::npos);
        EXPECT_TRUE(m_sim->Received().empty());  // nothing went onto ser2net's line
    }
    ASSERT_TRUE(Eventually([&] { return ::access(lock.c_str(), F_OK) != 0; }));  // ser2net let it go

    ChildProgram monitor(BRENVIK_CLI_PROGRAM, {"monitor", "--port", m_sim->Path()},
                         {{"BRENVIK_LOCK_DIR", Ser2Net::kLockFolder}});
    ASSERT_EQ(monitor.ErrLine(), "Monitoring " + m_sim->Path() + "; Ctrl+C ends.");
    const CliRun turnedAway = CliHarness().Run({"get", "--port", m_server->TcpUrl()});
    EXPECT_EQ(turnedAway.code, ExitPortError);
    EXPECT_NE(turnedAway.err.find("the server turned the connection away"), std::string::npos) << turnedAway.err;
    EXPECT_EQ(monitor.Finish(SIGINT), ExitOk);
    EXPECT_NE(::access(lock.c_str(), F_OK), 0);

    EXPECT_EQ(PacedBy(*m_sim).Run({"get", "--port", m_server->TcpUrl()}).code, ExitOk);  // free again
}

TEST(CliNetwork, BadNamesAndDeadEndsGiveOneClearLine)
{
    ScriptedServer silent({}, false);
    ScriptedServer refusesBaud([](int client) {
        std::size_t answered = 0;
        ScriptedServer::ReadUntilClosed(client, [&](const ScriptedServer::Bytes& sent) {
            const auto requests = ScriptedServer::ComPortRequests(sent);
            for (; answered < requests.size(); ++answered) {
                const auto& r = requests[answered];
                ScriptedServer::Send(client, ScriptedServer::Answer(r.command, r.command == 1 ? ScriptedServer::Bytes {0, 0, 0x25, 0x80} : r.value));
            }
        });
    });
    // Telnet NOPs, never an answer to the line settings, until the client goes.
    ScriptedServer flooding([](int client) {
        const ScriptedServer::Bytes nops(4096, 0xF1);
        ScriptedServer::Bytes burst;
        for (std::uint8_t nop : nops)
            burst.insert(burst.end(), {0xFF, nop});
        while (::send(client, burst.data(), burst.size(), MSG_NOSIGNAL) > 0) {
        }
    });
    // Only the silent and flooding servers are waited out, so only they get a short --timeout.
    // A URL the program cannot read is a usage error: nothing is opened.
    const std::tuple<std::string, const char*, std::string, int> cases[] = {
        {"rfc2217://127.0.0.1", "2000", "no port: write HOST:PORT", ExitUsage},
        {"tcp://127.0.0.1", "2000", "--port tcp://127.0.0.1: no port: write HOST:PORT", ExitUsage},
        {"tcp://127.0.0.1:99999", "2000", "not a number from 1 to 65535", ExitUsage},
        {"ssh://127.0.0.1:22", "2000", "unknown scheme \"ssh\"", ExitUsage},
        {"http://127.0.0.1:80/", "2000", "unknown scheme \"http\"", ExitUsage},
        {"rfc2217://host.invalid:2217", "2000", "cannot connect: host not found", ExitPortError},
        {silent.Url("rfc2217"), "100", "cannot open: timed out", ExitPortError},
        {flooding.Url("rfc2217"), "100", "cannot open: the server kept sending but never answered the line settings",
         ExitPortError},
        {refusesBaud.Url("rfc2217"), "2000", "cannot set 16457 baud 8N1: the device refused the line settings",
         ExitPortError},
    };
    for (const auto& [url, timeout, words, code] : cases) {
        const CliRun run = CliHarness().Run({"get", "--port", url, "--timeout", timeout});
        EXPECT_EQ(run.code, code) << url;
        CliHarness fromEnvironment;
        fromEnvironment.SetEnvironmentPort(url);
        if (code == ExitUsage) {
            EXPECT_EQ(fromEnvironment.Run({"get"}).code, ExitUsage) << url;
        }
        EXPECT_EQ(CountLines(run.err), 1) << run.err;
        EXPECT_NE(run.err.find(words), std::string::npos) << run.err;
    }
}

}  // namespace
