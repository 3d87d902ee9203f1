// The serial line on a network interface, against scripted servers that
// show the faults a real one shows rarely. The real server (ser2net) is
// exercised by the command line's and the window's tests.
#include "serial/ProbePort.h"
#include "serial/SerialWnd.h"

#include "RecordingTarget.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>

using namespace win32;

namespace {

using Bytes = ScriptedServer::Bytes;
constexpr std::uint8_t IAC = 0xFF, SB = 0xFA, SE = 0xF0, WILL = 0xFB, WONT = 0xFC, DO = 0xFD, DONT = 0xFE;
// The requests until the line is set: the speed query of the connection,
// then the first Setup's five line values and two notification masks.
constexpr std::size_t kFirstSetupRequests = 8;

using Reply = std::function<Bytes(std::uint8_t command, const Bytes& value)>;
// After the line is set: plays its part; true ends the connection.
using AfterSetup = std::function<bool(int client)>;

// Waits for the byte the client writes once its line is set: what the
// server sends before that may arrive while the line is being set, and is
// dropped with the old settings.
void AwaitGo(int client)
{
    std::uint8_t go = 0;
    pollfd wait {client, POLLIN, 0};
    if (::poll(&wait, 1, 20000) > 0)
        [[maybe_unused]] auto n = ::recv(client, &go, 1, 0);
}

void SendGo(CSerialLine& line)
{
    const std::uint8_t go = 0x55;
    EXPECT_EQ(line.Write(&go, 1, nullptr, nullptr, 2000), 0);
}

Bytes Confirm(std::uint8_t command, const Bytes& value)
{
    return ScriptedServer::Answer(command, value);
}

// A server that answers every COM port request with `reply`, then plays
// `after`; what the client sent goes to `sent` when the connection ends.
ScriptedServer::Script Answering(Reply reply, AfterSetup after = {}, std::promise<Bytes>* sent = nullptr)
{
    return [reply, after, sent](int client) {
        std::size_t answered = 0;
        bool ended = false;
        Bytes all;
        std::uint8_t buffer[512];
        while (!ended) {
            pollfd wait {client, POLLIN, 0};
            if (::poll(&wait, 1, 20000) <= 0)
                break;
            const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
            if (n <= 0)
                break;
            all.insert(all.end(), buffer, buffer + n);
            const auto requests = ScriptedServer::ComPortRequests(all);
            const bool wasSet = answered >= kFirstSetupRequests;
            for (; answered < requests.size(); ++answered) {
                if (reply)
                    ScriptedServer::Send(client, reply(requests[answered].command, requests[answered].value));
            }
            if (!wasSet && answered >= kFirstSetupRequests && after)
                ended = after(client);
        }
        if (sent)
            sent->set_value(all);
    };
}

class NetworkLineTest : public ::testing::Test {
protected:
    LONG OpenAndSetUp(CSerialLine& line, const std::string& url)
    {
        line.SetConnectTimeout(2000);
        if (LONG opened = line.Open(url.c_str(), 512, 512, true))
            return opened;
        return line.Setup(16457, 8, NOPARITY, ONESTOPBIT);
    }
};

TEST_F(NetworkLineTest, TelnetInTheStreamNeverReachesTheDataAndWrittenIacIsDoubled)
{
    Bytes junkSub = {IAC, SB, 44, 101};
    junkSub.insert(junkSub.end(), 100, 0x20);  // overlong: dropped whole
    junkSub.insert(junkSub.end(), {IAC, SE});
    const Bytes head = {IAC, WILL, 1, IAC, DO, 24, 0xE5, IAC, IAC, IAC, 241, 0x14, IAC, SB, 24, 1, 2, IAC, SE, 0x03};
    const Bytes end = {IAC, SB, 44, 106, 0, IAC, SE, 0x7F};
    Bytes stream;
    for (const Bytes* part : {&head, static_cast<const Bytes*>(&junkSub), &end})
        stream.insert(stream.end(), part->begin(), part->end());
    std::promise<Bytes> sent;
    std::future<Bytes> sentBytes = sent.get_future();
    {
        ScriptedServer server(Answering(Confirm, [&](int client) {
            AwaitGo(client);
            ScriptedServer::Send(client, stream);
            return false;
        }, &sent));
        CSerialLine line;
        ASSERT_EQ(OpenAndSetUp(line, server.Url("rfc2217")), 0);
        EXPECT_EQ(line.GetBaudRate(), 16457);
        ASSERT_EQ(line.SetReadTimeoutMode(CSerialLine::ReadModeWaitAll), 0);
        SendGo(line);
        std::uint8_t data[5] = {};
        DWORD read = 0;
        ASSERT_EQ(line.Read(data, 5, &read, nullptr, 10000), 0);
        EXPECT_EQ(Bytes(data, data + read), (Bytes {0xE5, 0xFF, 0x14, 0x03, 0x7F}));

        const std::uint8_t out[] = {0xE5, 0xFF, 0x01};
        DWORD written = 0;
        EXPECT_EQ(line.Write(out, 3, &written, nullptr, 2000), 0);
        EXPECT_EQ(written, 3u);
        line.Close();
    }
    const Bytes received = sentBytes.get();
    const Bytes tail(received.end() - 4, received.end());
    EXPECT_EQ(tail, (Bytes {0xE5, 0xFF, 0xFF, 0x01}));
    // The server's offers of echo and of option 24 were refused.
    const auto contains = [&](const Bytes& part) {
        return std::search(received.begin(), received.end(), part.begin(), part.end()) != received.end();
    };
    EXPECT_TRUE(contains({IAC, DONT, 1}));
    EXPECT_TRUE(contains({IAC, WONT, 24}));
}

TEST_F(NetworkLineTest, ARefusedOrUnansweredLineSettingIsAPortError)
{
    struct Case {
        const char* what;
        Reply reply;
        Bytes greeting;
        LONG open;
        LONG setup;
        DWORD timeoutMs; // only the silent server is waited out
    };
    const Case cases[] = {
        {"another baud rate set", [](std::uint8_t command, const Bytes& value) {
             return ScriptedServer::Answer(command, command == 1 ? Bytes {0, 0, 0x25, 0x80} : value);
         }, {}, 0, ERROR_INVALID_PARAMETER, 2000},
        {"no answer at all", {}, {}, ERROR_TIMEOUT, 0, 100},
        {"the COM port option refused", {}, {IAC, DONT, 44}, ERROR_NOT_SUPPORTED, 0, 2000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedServer server([&](int client) {
            ScriptedServer::Send(client, c.greeting);
            Answering(c.reply)(client);
        });
        CSerialLine line;
        line.SetConnectTimeout(c.timeoutMs);
        ASSERT_EQ(line.Open(server.Url("rfc2217").c_str(), 512, 512, true), c.open);
        if (c.open == 0)
            EXPECT_EQ(line.Setup(16457, 8, NOPARITY, ONESTOPBIT), c.setup);
        else
            EXPECT_FALSE(line.IsOpen());
        line.Close();
    }
}

TEST_F(NetworkLineTest, AServerThatTurnsTheClientAwayWithALineOfTextMeansBusy)
{
    // As a server whose port another client, or another program, holds: a
    // line of text, then the end. Over a plain stream the open cannot see
    // it; the first read does, and a probe waits a moment for it.
    const std::string inUse = "Port already in use\r\n";
    const std::string openFailed = "Device open failure: Object was already in use\r\n";
    const Bytes message = {0xE5, 0x14, 0x03, 0x00};
    struct Case {
        const char* protocol;
        Bytes sent;  // then the end; nothing: the server keeps the client
        LONG open;   // of the open and Setup
        LONG read;   // of a read for more than the server sent, once open
        int probe;
    } cases[] = {
        {"rfc2217", Bytes(inUse.begin(), inUse.end()), ERROR_ACCESS_DENIED, 0, PortBusy},
        {"tcp", Bytes(inUse.begin(), inUse.end()), 0, ERROR_ACCESS_DENIED, PortBusy},
        {"tcp", Bytes(openFailed.begin(), openFailed.end()), 0, ERROR_ACCESS_DENIED, PortBusy},
        {"tcp", Bytes(inUse.begin(), inUse.end() - 2), 0, ERROR_GEN_FAILURE, PortUnknown},  // no line end
        {"tcp", message, 0, ERROR_GEN_FAILURE, PortUnknown},                                 // the bus's bytes
        {"tcp", {}, 0, ERROR_TIMEOUT, PortFree},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.protocol) + " " + std::string(c.sent.begin(), c.sent.end()));
        ScriptedServer server([&](int client) {
            if (c.sent.empty())
                ScriptedServer::ReadUntilClosed(client);
            else
                ScriptedServer::Send(client, c.sent);
        });
        const std::string url = server.Url(c.protocol);
        CSerialLine line;
        ASSERT_EQ(OpenAndSetUp(line, url), c.open);
        if (c.open == 0) {
            ASSERT_EQ(line.SetReadTimeoutMode(CSerialLine::ReadModeWaitAll), 0);
            std::uint8_t data[256] = {};
            EXPECT_EQ(line.Read(data, sizeof data, nullptr, nullptr, c.sent.empty() ? 100 : 10000), c.read);
        }
        if (c.read == ERROR_ACCESS_DENIED || c.open == ERROR_ACCESS_DENIED) {
            EXPECT_EQ(line.GetLastSystemError(), std::errc::device_or_resource_busy);
        }
        line.Close();
        EXPECT_EQ(ProbePort(url.c_str()), c.probe);
    }
}

TEST_F(NetworkLineTest, AHostThatDoesNotAnswerTimesOutAndLeavesTheLineClosed)
{
    ScriptedServer server({}, false);
    CSerialLine line;
    line.SetConnectTimeout(200);
    EXPECT_EQ(line.Open(server.Url("tcp").c_str(), 512, 512, true), ERROR_TIMEOUT);
    EXPECT_FALSE(line.IsOpen());
}

TEST_F(NetworkLineTest, NamesThatLeadNowhere)
{
    const std::pair<const char*, LONG> cases[] = {
        {"rfc2217://127.0.0.1", ERROR_PATH_NOT_FOUND},
        {"tcp://127.0.0.1:0", ERROR_PATH_NOT_FOUND},
        {"tcp://host.invalid:4001", ERROR_FILE_NOT_FOUND},
    };
    for (const auto& [url, code] : cases) {
        CSerialLine line;
        EXPECT_EQ(line.Open(url, 512, 512, true), code) << url;
        EXPECT_FALSE(line.IsOpen());
    }
    // Refused: nothing listens on a port just freed.
    std::string refused;
    {
        ScriptedServer gone({}, true);
        refused = gone.Url("tcp");
    }
    CSerialLine line;
    EXPECT_EQ(line.Open(refused.c_str(), 512, 512, true), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(line.GetLastSystemError(), std::errc::connection_refused);
}

TEST_F(NetworkLineTest, ARawStreamCarriesTheBytesAsTheyAreAndKeepsTheSettings)
{
    std::promise<Bytes> sent;
    std::future<Bytes> sentBytes = sent.get_future();
    {
        ScriptedServer server([&](int client) {
            ScriptedServer::Send(client, {0xFF, 0xFA, 0x01});
            sent.set_value(ScriptedServer::ReadUntilClosed(client));
        });
        CSerialLine line;
        ASSERT_EQ(OpenAndSetUp(line, server.Url("tcp")), 0);
        EXPECT_EQ(line.GetBaudRate(), 16457);
        ASSERT_EQ(line.SetReadTimeoutMode(CSerialLine::ReadModeWaitAll), 0);
        std::uint8_t data[3] = {};
        ASSERT_EQ(line.Read(data, 3, nullptr, nullptr, 10000), 0);
        EXPECT_EQ(Bytes(data, data + 3), (Bytes {0xFF, 0xFA, 0x01}));
        const std::uint8_t out[] = {0xFF, 0x00};
        EXPECT_EQ(line.Write(out, 2, nullptr, nullptr, 2000), 0);
        line.Close();
    }
    EXPECT_EQ(sentBytes.get(), (Bytes {0xFF, 0x00}));
}

TEST_F(NetworkLineTest, AWaitAfterAReadReportsBytesThatCameMeanwhile)
{
    std::promise<void> go, moreSent;
    std::future<void> goSeen = go.get_future(), moreOnTheWay = moreSent.get_future();
    ScriptedServer server([&](int client) {
        ScriptedServer::Send(client, {1, 2, 3});
        goSeen.wait();
        ScriptedServer::Send(client, {4, 5});
        moreSent.set_value();
        ScriptedServer::ReadUntilClosed(client);
    });
    CSerialLine line;
    ASSERT_EQ(OpenAndSetUp(line, server.Url("tcp")), 0);
    ASSERT_EQ(line.WaitForPortEvent(nullptr, 2000), 0);
    std::uint8_t data[3] = {};
    DWORD got = 0;
    ASSERT_EQ(line.Read(data, 3, &got, nullptr, 2000), 0);
    ASSERT_EQ(got, 3u);
    go.set_value();
    moreOnTheWay.wait();
    // Fewer bytes than the wait before reported, all of them new.
    EXPECT_EQ(line.WaitForPortEvent(nullptr, 2000), 0);
    EXPECT_EQ(line.GetPendingEvents() & EV_RXCHAR, DWORD(EV_RXCHAR));
    line.Close();
}

class NetworkListenerTest : public NetworkLineTest {
protected:
    LONG OpenListening(const std::string& url)
    {
        port.SetConnectTimeout(2000);
        if (LONG opened = port.Open(url.c_str(), &target, 0, 12, 512, 512))
            return opened;
        if (LONG set = port.Setup(16457, 8, NOPARITY, ONESTOPBIT))
            return set;
        return port.SetMask(EV_RXCHAR | EV_ERR);
    }

    RecordingTarget target;
    CSerialWnd port;
};

TEST_F(NetworkListenerTest, AFramingErrorTheServerReportsIsALineError)
{
    std::promise<void> done;
    ScriptedServer server(Answering(Confirm, [&](int client) {
        AwaitGo(client);
        ScriptedServer::Send(client, {IAC, SB, 44, 106, 0x08, IAC, SE});
        done.get_future().wait();
        return true;
    }));
    ASSERT_EQ(OpenListening(server.Url("rfc2217")), 0);
    SendGo(port);
    // The notification's bytes arrive (they carry no data) and are read, as
    // the program reads after every arrival; then the line error is reported.
    const auto lineError = [&] {
        for (const auto& notification : target.Received()) {
            if (notification.wParam & EV_ERR)
                return notification.wParam;
        }
        return WPARAM(0);
    };
    ASSERT_TRUE(PollUntil([&] { return lineError() != 0; }, [&] {
        std::uint8_t buffer[64];
        DWORD read = 0;
        EXPECT_EQ(port.Read(buffer, sizeof buffer, &read, nullptr, INFINITE), 0);
        EXPECT_EQ(read, 0u);
        target.WaitFor(target.Count() + 1, std::chrono::milliseconds(50));
    }));
    EXPECT_EQ(lineError() >> 16, CE_FRAME);
    done.set_value();
    port.Close();
}

TEST_F(NetworkListenerTest, ALostConnectionEndsTheListenerAsAVanishedDevice)
{
    ScriptedServer server(Answering(Confirm, [](int) { return true; }));
    ASSERT_EQ(OpenListening(server.Url("rfc2217")), 0);
    EXPECT_TRUE(Eventually([&] { return !port.IsListening(); }));
    EXPECT_EQ(port.GetListenerResult(), ERROR_GEN_FAILURE);
    // What the server sent before it ended is read (an immediate read takes
    // one receive, which may hold only Telnet); then the end shows.
    std::uint8_t buffer[64];
    LONG read = 0;
    EXPECT_TRUE(Eventually([&] { return (read = port.Read(buffer, sizeof buffer, nullptr, nullptr, INFINITE)) != 0; }));
    EXPECT_EQ(read, ERROR_GEN_FAILURE);
    EXPECT_EQ(port.WaitForPortEvent(nullptr, 1000), ERROR_GEN_FAILURE);
    port.Close();
}

}  // namespace

// Peers that keep sending, or never answer: every wait ends at its deadline
// whatever arrives. The bound only catches a hang; the end times measured
// are reported by the command line's flood runs.
class FloodingPeerTest : public NetworkLineTest {
protected:
    // Sends `chunk` over and over until the client goes or the peer is stopped.
    static ScriptedServer::Script Flooding(Bytes chunk, const std::atomic<bool>& stop)
    {
        return [chunk, &stop](int client) {
            Bytes burst;
            for (int i = 0; i < 256; ++i)
                burst.insert(burst.end(), chunk.begin(), chunk.end());
            while (!stop && ::send(client, burst.data(), burst.size(), MSG_NOSIGNAL) > 0) {
            }
        };
    }

    static constexpr auto kHangBound = std::chrono::milliseconds(500 + 2000);
};

TEST_F(FloodingPeerTest, APeerThatFloodsOrNeverAnswersEndsTheOpenAtItsTimeOut)
{
    struct Case {
        const char* what;
        Bytes chunk;  // empty: a peer that accepts and stays silent
    };
    const Case cases[] = {
        {"Telnet NOP", {IAC, 0xF1}},
        {"line data", {0x55, 0x10, 0x20}},
        {"other Telnet commands", {IAC, 0xF6, IAC, DO, 99, IAC, WILL, 98, IAC, 0xF9}},
        {"silence", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::atomic<bool> stop = false;
        ScriptedServer server(c.chunk.empty() ? [](int client) { ScriptedServer::ReadUntilClosed(client); }
                                              : Flooding(c.chunk, stop));
        CSerialLine line;
        line.SetConnectTimeout(500);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(line.Open(server.Url("rfc2217").c_str(), 512, 512, true), ERROR_TIMEOUT);
        // A peer that sent is told from one that kept silent.
        EXPECT_EQ(line.GetLastSystemError(), c.chunk.empty() ? std::errc::timed_out : std::errc::protocol_error);
        EXPECT_LT(std::chrono::steady_clock::now() - start, kHangBound);
        EXPECT_FALSE(line.IsOpen());
        stop = true;
    }
}

TEST_F(FloodingPeerTest, AFloodAfterTheLineIsSetEndsAWaitingReadAtItsTimeOutAndAnImmediateOneAtOnce)
{
    struct Case {
        const char* what;
        const char* scheme;
        Bytes chunk;
        DWORD waitAllGot;  // what a wait-all read of 64 bytes gets: all, or none before the time-out
    };
    const Case cases[] = {
        {"Telnet NOP", "rfc2217", {IAC, 0xF1}, 0},
        {"other Telnet commands", "rfc2217", {IAC, 0xF6, IAC, DO, 99, IAC, 0xF9}, 0},
        {"line data over Telnet", "rfc2217", {0x55}, 64},
        {"line data over a raw stream", "tcp", {0x55}, 64},
        // A raw stream has no Telnet: its commands are line data like any other.
        {"Telnet NOP over a raw stream", "tcp", {IAC, 0xF1}, 64},
        {"other Telnet commands over a raw stream", "tcp", {IAC, 0xF6, IAC, DO, 99, IAC, 0xF9}, 64},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::atomic<bool> stop = false;
        const ScriptedServer::Script flood = Flooding(c.chunk, stop);
        ScriptedServer server(std::string_view(c.scheme) == "tcp"
                                  ? flood
                                  : Answering(Confirm, [&](int client) {
                                        flood(client);
                                        return true;
                                    }));
        CSerialLine line;
        ASSERT_EQ(OpenAndSetUp(line, server.Url(c.scheme)), 0);

        std::uint8_t data[64] = {};
        DWORD got = 0;
        auto start = std::chrono::steady_clock::now();
        ASSERT_EQ(line.SetReadTimeoutMode(CSerialLine::ReadModeImmediate), 0);
        EXPECT_EQ(line.Read(data, sizeof data, &got, nullptr, INFINITE), 0);
        EXPECT_LT(std::chrono::steady_clock::now() - start, kHangBound);

        got = 0;
        start = std::chrono::steady_clock::now();
        ASSERT_EQ(line.SetReadTimeoutMode(CSerialLine::ReadModeWaitAll), 0);
        EXPECT_EQ(line.Read(data, sizeof data, &got, nullptr, 500), c.waitAllGot ? 0 : ERROR_TIMEOUT);
        EXPECT_EQ(got, c.waitAllGot);
        EXPECT_LT(std::chrono::steady_clock::now() - start, kHangBound);
        stop = true;
        line.Close();
    }
}
