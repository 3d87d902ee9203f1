// The socket layer both systems share (BSD sockets, Winsock 2): what a wait
// on a connection reports for what the peer does, the wake signal beside it,
// and a network line where nothing accepts. Runs on Linux and under Wine.

#include "serial/Sockets.h"

#include "serial/SerialLine.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

using namespace win32;

// A loopback listener and one connection to it: `client` the program's end,
// `server` the peer's.
class Connection {
public:
    Connection()
    {
        int error = 0;
        EXPECT_TRUE(net::Start(error)) << error;
        addrinfo hints {};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        EXPECT_EQ(::getaddrinfo("127.0.0.1", "0", &hints, &found), 0);
        m_listener = net::OpenStream(*found, error);
        sockaddr_in bound {};
        socklen_t size = sizeof bound;
        EXPECT_EQ(::bind(m_listener, found->ai_addr, static_cast<socklen_t>(found->ai_addrlen)), 0);
        EXPECT_EQ(::listen(m_listener, 1), 0);
        EXPECT_EQ(::getsockname(m_listener, reinterpret_cast<sockaddr*>(&bound), &size), 0);
        client = net::OpenStream(*found, error);
        ::freeaddrinfo(found);
        if (::connect(client, reinterpret_cast<sockaddr*>(&bound), size) != 0) {
            EXPECT_TRUE(net::ConnectInProgress(net::LastError()));
            EXPECT_EQ(net::AwaitConnection(client, 5000), 0);
        }
        pollfd incoming {m_listener, POLLIN, 0};
        EXPECT_EQ(net::Poll(&incoming, 1, 5000), 1);
        server = ::accept(m_listener, nullptr, nullptr);
    }
    ~Connection()
    {
        for (net::Socket socket : {client, server, m_listener})
            if (socket != net::kNoSocket)
                net::Close(socket);
    }
    // The client's end, waited on up to timeoutMs: its revents, or -1 when nothing came.
    int WaitClient(int timeoutMs)
    {
        pollfd wait {client, static_cast<short>(POLLIN | net::kPollPeerClosed), 0};
        return net::Poll(&wait, 1, timeoutMs) == 1 ? wait.revents : -1;
    }

    net::Socket client = net::kNoSocket;
    net::Socket server = net::kNoSocket;

private:
    net::Socket m_listener = net::kNoSocket;
};

TEST(Sockets, AWaitReportsWhatThePeerDid)
{
    struct Row {
        const char* what;
        std::function<void(Connection&)> peer;
        short reported;  // one of the flags the wait must show
        int waiting;     // bytes the client can read
        long received;   // what a receive then gives: bytes, or 0 for the end
    };
    const Row rows[] = {
        {"nothing", [](Connection&) {}, 0, 0, -1},
        {"sends three bytes", [](Connection& c) { net::Send(c.server, "abc", 3); }, POLLIN, 3, 3},
        {"ends the connection",
         [](Connection& c) {
             net::Close(c.server);
             c.server = net::kNoSocket;
         },
         static_cast<short>(POLLIN | net::kPollPeerClosed), 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Connection connection;
        row.peer(connection);
        const int revents = connection.WaitClient(row.reported ? 5000 : 50);
        if (row.reported == 0) {
            EXPECT_EQ(revents, -1);
            continue;
        }
        ASSERT_NE(revents, -1);
        EXPECT_NE(revents & row.reported, 0);
        EXPECT_EQ(net::BytesWaiting(connection.client), row.waiting);
        char buffer[8];
        EXPECT_EQ(net::Receive(connection.client, buffer, sizeof buffer), row.received);
    }
}

TEST(Sockets, AWakeSignalEndsAWaitUntilDrained)
{
    int error = 0;
    const auto wake = net::CWakeSignal::Create(error);
    ASSERT_TRUE(wake) << net::ErrorText(error);
    Connection connection;
    pollfd waits[2] = {{wake->Handle(), POLLIN, 0}, {connection.client, POLLIN, 0}};
    EXPECT_EQ(net::Poll(waits, 2, 0), 0);
    wake->Signal();
    wake->Signal();
    EXPECT_EQ(net::Poll(waits, 2, 5000), 1);
    EXPECT_NE(waits[0].revents & POLLIN, 0);
    wake->Drain();
    EXPECT_EQ(net::Poll(waits, 2, 0), 0);
}

TEST(Sockets, AConnectionNothingAcceptsIsNoDevice)
{
    int error = 0;
    ASSERT_TRUE(net::Start(error));
    addrinfo hints {};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    ASSERT_EQ(::getaddrinfo("127.0.0.1", "0", &hints, &found), 0);
    // A port just bound and let go: nothing listens there.
    const net::Socket probe = net::OpenStream(*found, error);
    sockaddr_in bound {};
    socklen_t size = sizeof bound;
    ASSERT_EQ(::bind(probe, found->ai_addr, static_cast<socklen_t>(found->ai_addrlen)), 0);
    ASSERT_EQ(::getsockname(probe, reinterpret_cast<sockaddr*>(&bound), &size), 0);
    net::Close(probe);
    ::freeaddrinfo(found);
    CSerialLine line;
    const std::string url = "tcp://127.0.0.1:" + std::to_string(ntohs(bound.sin_port));
    EXPECT_EQ(line.Open(url.c_str(), 512, 512, true), ERROR_FILE_NOT_FOUND) << line.GetLastSystemError().message();
    EXPECT_FALSE(line.IsOpen());
}

}  // namespace
