// brenvik-sim on a TCP port, served in-process and reached with a raw
// socket, as a network interface is. Built for Linux and Windows alike.

#include "sim/SimServer.h"
#include "sim/TcpTransport.h"

#include "bus/GroupMessage.h"
#include "bus/GroupReply.h"
#include "bus/GroupRequests.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include "tests/support/ChildProgram.h"

#include <signal.h>
#endif

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace {

using net::Socket;

// The simulator on a free loopback port, served on a thread of this test.
class SimOnTcp {
public:
    explicit SimOnTcp(sim::SimOptions options) : m_server(options)
    {
        std::string error;
        int stopError = 0;
        m_stop = net::CWakeSignal::Create(stopError);
        EXPECT_TRUE(m_stop) << net::ErrorText(stopError);
        EXPECT_TRUE(m_tcp.Listen(*options.listen, error)) << error;
        m_port = static_cast<std::uint16_t>(std::stoi(m_tcp.Url().substr(m_tcp.Url().rfind(':') + 1)));
        m_thread = std::thread([this] { m_result = m_server.Serve(m_tcp, m_stop->Handle()); });
    }
    ~SimOnTcp()
    {
        m_stop->Signal();
        m_thread.join();
        EXPECT_EQ(m_result, 0);
    }
    static sim::SimOptions Fast()
    {
        sim::SimOptions options;
        options.fast = true;
        options.listen = sim::ListenAddress {};
        return options;
    }
    const std::string& Url() const { return m_tcp.Url(); }
    std::uint16_t Port() const { return m_port; }

private:
    sim::SimServer m_server;
    sim::TcpTransport m_tcp;
    std::unique_ptr<net::CWakeSignal> m_stop;
    std::uint16_t m_port = 0;
    int m_result = -1;
    std::thread m_thread;
};

// The program's side: a plain TCP client.
class RawClient {
public:
    explicit RawClient(std::uint16_t port)
    {
        sockaddr_in to {};
        to.sin_family = AF_INET;
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        to.sin_port = htons(port);
        m_socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        EXPECT_EQ(::connect(m_socket, reinterpret_cast<sockaddr*>(&to), sizeof to), 0);
    }
    ~RawClient() { net::Close(m_socket); }

    void Send(const bus::GroupMessageFields& fields)
    {
        const bus::GroupMessageBytes bytes = bus::PackGroupMessage(fields);
        ASSERT_EQ(::send(m_socket, reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size()), 0),
                  static_cast<int>(bytes.size()));
    }

    // Reads `count` bytes, fewer if the server closed or the generous watchdog ran out.
    std::string Receive(std::size_t count)
    {
        std::string got;
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (got.size() < count && std::chrono::steady_clock::now() < until) {
            pollfd wait {m_socket, POLLIN, 0};
            if (net::Poll(&wait, 1, 100) <= 0)
                continue;
            char buffer[256];
            const int n = static_cast<int>(::recv(m_socket, buffer, static_cast<int>(std::min(sizeof buffer, count - got.size())), 0));
            if (n <= 0)
                break;
            got.append(buffer, static_cast<std::size_t>(n));
        }
        return got;
    }

    // The settings in a Get's answer: the echo, then the reply.
    bus::RadioSettings Get()
    {
        Send(bus::MakeSettingsRequest());
        const std::string answer = Receive(2 * bus::kGroupMessageSize);
        EXPECT_EQ(answer.size(), 2 * bus::kGroupMessageSize);
        if (answer.size() != 2 * bus::kGroupMessageSize)
            return {};
        const auto* reply = reinterpret_cast<const std::uint8_t*>(answer.data()) + bus::kGroupMessageSize;
        const bus::GroupReply decoded = bus::DecodeGroupReply(
            bus::UnpackGroupMessage(std::span<const std::uint8_t, bus::kGroupMessageSize>(reply, bus::kGroupMessageSize)));
        EXPECT_TRUE(std::holds_alternative<bus::RadioSettings>(decoded));
        return std::holds_alternative<bus::RadioSettings>(decoded) ? std::get<bus::RadioSettings>(decoded)
                                                                 : bus::RadioSettings {};
    }

private:
    Socket m_socket = net::kNoSocket;
};

TEST(SimTcp, ServesOneClientAtATimeAndKeepsSettingsForTheNext)
{
    SimOnTcp server(SimOnTcp::Fast());
    EXPECT_EQ(server.Url(), "tcp://127.0.0.1:" + std::to_string(server.Port()));
    {
        RawClient first(server.Port());
        EXPECT_EQ(first.Get().name, sim::SimOptions().settings.name);

        RawClient second(server.Port());
        EXPECT_EQ(second.Receive(1000), "brenvik-sim: busy: another program is connected\r\n");

        for (const auto& write : bus::MakeSettingsWrites("Depot", 23, 7, 4321)) {
            first.Send(write);
            EXPECT_EQ(first.Receive(bus::kGroupMessageSize).size(), bus::kGroupMessageSize);  // the echo alone
        }
    }
    RawClient next(server.Port());
    const bus::RadioSettings got = next.Get();
    EXPECT_EQ(got.name, "Depot");
    EXPECT_EQ(got.rfChannel, 23);
}

TEST(SimTcp, AnswersOwedToAClientThatLeftGoToNobody)
{
    sim::SimOptions options = SimOnTcp::Fast();
    options.fast = false;  // at bus timing the answer is still held when the client goes
    SimOnTcp server(options);
    RawClient(server.Port()).Send(bus::MakeNameWrite("Gone"));

    RawClient next(server.Port());
    next.Send(bus::MakeSettingsRequest());
    const bus::GroupMessageBytes request = bus::PackGroupMessage(bus::MakeSettingsRequest());
    EXPECT_EQ(next.Receive(bus::kGroupMessageSize), std::string(request.begin(), request.end()));
}

TEST(SimTcp, ListenOptions)
{
    struct Case {
        std::vector<std::string> args;
        std::string host;  // empty: an error, starting with `error`
        int port;
        std::string error;
    };
    const Case cases[] = {
        {{"--listen", "5331"}, "127.0.0.1", 5331, ""},
        {{"--listen", "0"}, "127.0.0.1", 0, ""},
        {{"--listen", "0.0.0.0:65535"}, "0.0.0.0", 65535, ""},
        {{"--listen", "[::1]:80"}, "::1", 80, ""},
        {{"--listen", "localhost:9"}, "localhost", 9, ""},
        {{"--listen", "65536"}, "", 0, "--listen takes PORT or HOST:PORT"},
        {{"--listen", "host:"}, "", 0, "--listen takes PORT or HOST:PORT"},
        {{"--listen", ":5331"}, "", 0, "--listen takes PORT or HOST:PORT"},
        {{"--listen"}, "", 0, "--listen needs a value"},
        {{"--listen", "5331", "--link", "/tmp/x"}, "", 0, "--link names a pseudo-terminal"},
        {{"--baud", "57600", "--listen", "5331"}, "", 0, "--baud and --flow"},
        {{"--listen", "5331", "--flow", "rtscts"}, "", 0, "--baud and --flow"},
    };
    for (const Case& c : cases) {
        sim::SimOptions options;
        std::string error;
        const sim::ParseResult result = sim::ParseSimOptions(c.args, options, error);
        if (c.host.empty()) {
            EXPECT_EQ(result, sim::ParseResult::Error) << c.args.back();
            EXPECT_EQ(error.rfind(c.error, 0), 0u) << error;
        } else {
            ASSERT_EQ(result, sim::ParseResult::Run) << c.args.back() << ": " << error;
            ASSERT_TRUE(options.listen.has_value());
            EXPECT_EQ(options.listen->host, c.host);
            EXPECT_EQ(options.listen->port, c.port);
        }
    }
}

#ifndef _WIN32
// On Windows the program is run by scripts/test-windows, reached from Linux.
TEST(SimTcp, TheProgramPrintsItsUrlServesAndEndsOnASignal)
{
    ChildProgram program(BRENVIK_SIM_PROGRAM, {"--fast", "--listen", "0", "--name", "Shed"});
    const std::string url = program.OutLine();
    const std::string prefix = "tcp://127.0.0.1:";
    ASSERT_EQ(url.rfind(prefix, 0), 0u) << url;
    {
        RawClient client(static_cast<std::uint16_t>(std::stoi(url.substr(prefix.size()))));
        EXPECT_EQ(client.Get().name, "Shed");
    }
    EXPECT_EQ(program.Finish(SIGTERM), 0);
}
#endif

TEST(SimTcp, AnAddressInUseIsRefusedInWords)
{
    SimOnTcp taken(SimOnTcp::Fast());
    sim::TcpTransport again;
    std::string error;
    EXPECT_FALSE(again.Listen({"127.0.0.1", taken.Port()}, error));
    EXPECT_EQ(error.rfind("cannot listen on 127.0.0.1:" + std::to_string(taken.Port()) + ": ", 0), 0u) << error;
}

}  // namespace
