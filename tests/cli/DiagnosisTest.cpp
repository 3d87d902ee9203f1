// What brenvik-cli says when a Get gets no answer: what came back and what
// did not, never a cause the bytes rule out.

#include "bus/GroupRequests.h"
#include "cli/ExitCode.h"

#include "CliTestSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>

#include <chrono>
#include <thread>

namespace {

using Bytes = std::vector<unsigned char>;

Bytes Packed(const bus::GroupMessageFields& fields)
{
    const bus::GroupMessageBytes bytes = bus::PackGroupMessage(fields);
    return Bytes(bytes.begin(), bytes.end());
}

// A device on a pseudo-terminal that reads the program's request and
// answers it with `answer`, as far as the program reads it within a
// watchdog.
class AnsweringDevice {
public:
    explicit AnsweringDevice(Bytes answer)
        : m_thread([this, answer = std::move(answer)] { Answer(answer); })
    {
    }
    ~AnsweringDevice()
    {
        m_stop = true;
        m_thread.join();
    }
    const char* Path() const { return m_pty.Path(); }

private:
    void Answer(const Bytes& answer)
    {
        const int master = m_pty.Master();
        ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        std::size_t request = 0;
        std::size_t sent = 0;
        while (!m_stop && std::chrono::steady_clock::now() < until && sent < answer.size()) {
            const bool requested = request >= bus::kGroupMessageSize;
            pollfd wait {master, static_cast<short>(requested ? POLLOUT : POLLIN), 0};
            if (::poll(&wait, 1, 20) <= 0)
                continue;
            if (!requested) {
                unsigned char in[64];
                const ssize_t n = ::read(master, in, sizeof in);
                request += n > 0 ? static_cast<std::size_t>(n) : 0;
            } else if (const ssize_t n = ::write(master, answer.data() + sent, answer.size() - sent); n > 0) {
                sent += static_cast<std::size_t>(n);
            }
        }
    }

    PseudoTerminal m_pty;
    std::atomic<bool> m_stop = false;
    std::thread m_thread;
};

TEST(CliDiagnosis, AGetWithoutAnswerSaysWhatCameBackAndNeverACauseTheBytesRuleOut)
{
    const Bytes request = Packed(bus::MakeSettingsRequest());
    Bytes garbled = request;
    garbled.back() ^= 0x01;
    struct Case {
        const char* what;
        Bytes answer;
        const char* kind;
        const char* says;
        const char* neverSays;
    };
    const Case cases[] = {
        {"nothing", {}, "no_echo", "nothing came back within 150 ms", "formed no message"},
        {"noise", Bytes(20000, 0x55), "no_echo", "what came back was 20000 bytes that formed no message", "wrong port"},
        {"part of the echo, the rest taken by a second reader", Bytes(request.begin(), request.begin() + 9),
         "no_echo", "what came back was 9 bytes that formed no message (wrong --baud, noise on the line, a device that is no "
                    "bus interface, or another program reading this port",
         "wrong port"},
        {"a message that is not ours", Packed(bus::MakeLevelQuery(11)), "no_echo",
         "no echo of the request within 150 ms on ", "nothing came back"},
        {"a garbled echo beside noise", [&] {
             Bytes bytes(7, 0x55);
             bytes.insert(bytes.end(), garbled.begin(), garbled.end());
             return bytes;
         }(),
         "bad_checksum", "1 message came back with a bad checksum (wrong --baud, or noise on the line), and 7 bytes that "
                         "formed no message",
         "nothing came back"},
        {"the echo alone", request, "no_reply", "the bus echoed the request", "nothing came back"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const bool json : {false, true}) {
            AnsweringDevice device(c.answer);
            std::vector<std::string> args {"get", "--port", device.Path(), "--timeout", "150"};
            if (json)
                args.push_back("--json");
            const CliRun run = CliHarness().Run(args);
            EXPECT_EQ(run.code, cli::ExitNoReply) << run.err;
            EXPECT_EQ(CountLines(run.err), 1) << run.err;
            EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
            EXPECT_EQ(run.err.find(c.neverSays), std::string::npos) << run.err;
            if (json) {
                EXPECT_NE(run.out.find(std::string("\"error\": \"") + c.kind + "\""), std::string::npos) << run.out;
            }
        }
    }
}

}  // namespace
