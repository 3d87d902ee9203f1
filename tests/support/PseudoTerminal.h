#pragma once

#include <pty.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <stdexcept>
#include <string>
#include <vector>

// A pseudo-terminal for serial tests: the code under test opens the slave by
// its path; the test plays the device on the master. The slave is in raw
// mode, readable and writable by everyone (for the tests that drop to an
// ordinary user), and no descriptor of it stays open here.
class PseudoTerminal {
public:
    PseudoTerminal()
    {
        int slave = -1;
        char name[128] = {};
        if (::openpty(&m_master, &slave, name, nullptr, nullptr) != 0)
            throw std::runtime_error("openpty failed");
        termios raw {};
        ::tcgetattr(slave, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(slave, TCSANOW, &raw);
        ::fchmod(slave, 0666);
        ::close(slave);
        m_slavePath = name;
    }
    ~PseudoTerminal() { CloseMaster(); }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    const std::string& SlavePath() const { return m_slavePath; }
    const char* Path() const { return m_slavePath.c_str(); }
    int Master() const { return m_master; }

    void Send(const std::vector<unsigned char>& bytes) const
    {
        size_t done = 0;
        while (done < bytes.size()) {
            ssize_t n = ::write(m_master, bytes.data() + done, bytes.size() - done);
            if (n <= 0)
                throw std::runtime_error("write to pseudo-terminal master failed");
            done += static_cast<size_t>(n);
        }
    }
    void Send(const std::string& text) const { Send(std::vector<unsigned char>(text.begin(), text.end())); }

    // The device vanishes: the slave side sees a hang-up.
    void CloseMaster()
    {
        if (m_master >= 0)
            ::close(m_master);
        m_master = -1;
    }

private:
    int m_master = -1;
    std::string m_slavePath;
};
