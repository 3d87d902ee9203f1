#pragma once

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

// A TCP server on 127.0.0.1 that plays a script with each client it
// accepts, one after another, on a thread of its own: the faults a real
// server shows rarely (wrong answers, silence, garbage, sudden closes) on
// demand.
class ScriptedServer {
public:
    using Bytes = std::vector<std::uint8_t>;
    // Runs with the client's socket; the server closes it when the script returns.
    using Script = std::function<void(int client)>;

    // `accept` false: the server listens and never accepts, with a backlog
    // that one parked connection fills, so further connections get no answer.
    explicit ScriptedServer(Script script, bool accept = true)
    {
        m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0
            || ::listen(m_listener, 0) != 0
            || ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            throw std::runtime_error("cannot listen");
        m_port = ntohs(address.sin_port);
        if (!accept) {
            m_parked = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            if (::connect(m_parked, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
                throw std::runtime_error("cannot fill the backlog");
            return;
        }
        m_thread = std::thread([this, script = std::move(script)] {
            for (;;) {
                pollfd wait {m_listener, POLLIN, 0};
                if (::poll(&wait, 1, 20000) <= 0 || (wait.revents & POLLIN) == 0)
                    return;
                const int client = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
                if (client < 0)
                    return;
                script(client);
                ::close(client);
            }
        });
    }
    ~ScriptedServer()
    {
        ::shutdown(m_listener, SHUT_RDWR);  // ends a wait for a client that never came
        if (m_thread.joinable())
            m_thread.join();
        ::close(m_listener);
        if (m_parked >= 0)
            ::close(m_parked);
    }
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    std::string Url(const char* scheme) const { return std::string(scheme) + "://127.0.0.1:" + std::to_string(m_port); }

    static void Send(int client, const Bytes& bytes) { [[maybe_unused]] auto n = ::send(client, bytes.data(), bytes.size(), MSG_NOSIGNAL); }

    // Reads what the client sends until it closes (or the watchdog ends it),
    // calling `each` with everything received so far after every read.
    static Bytes ReadUntilClosed(int client, const std::function<void(const Bytes&)>& each = {})
    {
        Bytes received;
        std::uint8_t buffer[512];
        pollfd wait {client, POLLIN, 0};
        while (::poll(&wait, 1, 20000) > 0) {
            const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
            if (n <= 0)
                break;
            received.insert(received.end(), buffer, buffer + n);
            if (each)
                each(received);
        }
        return received;
    }

    // The COM port requests (command and value bytes) in what a client sent.
    struct Request {
        std::uint8_t command;
        Bytes value;
    };
    static std::vector<Request> ComPortRequests(const Bytes& sent)
    {
        std::vector<Request> requests;
        for (std::size_t i = 0; i + 3 < sent.size(); ++i) {
            if (sent[i] != 0xFF || sent[i + 1] != 0xFA || sent[i + 2] != 44)
                continue;
            Request request {sent[i + 3], {}};
            std::size_t j = i + 4;
            for (; j + 1 < sent.size() && !(sent[j] == 0xFF && sent[j + 1] == 0xF0); ++j) {
                request.value.push_back(sent[j]);
                if (sent[j] == 0xFF)
                    ++j;  // a doubled 0xFF
            }
            if (j + 1 >= sent.size())
                break;  // not complete yet
            requests.push_back(request);
            i = j + 1;
        }
        return requests;
    }

    // A server's answer to a COM port request, with the given value.
    static Bytes Answer(std::uint8_t command, const Bytes& value)
    {
        Bytes answer {0xFF, 0xFA, 44, static_cast<std::uint8_t>(command + 100)};
        for (std::uint8_t byte : value) {
            answer.push_back(byte);
            if (byte == 0xFF)
                answer.push_back(0xFF);
        }
        answer.insert(answer.end(), {0xFF, 0xF0});
        return answer;
    }

private:
    int m_listener = -1;
    int m_parked = -1;
    int m_port = 0;
    std::thread m_thread;
};
