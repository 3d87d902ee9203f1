// brenvik-sim: the transceiver on a pseudo-terminal, for use without hardware.

#include "sim/FrameLog.h"
#include "sim/PtyServer.h"
#include "sim/SimOptions.h"

#include "BrenvikVersion.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

namespace {

int g_stopPipe[2] = {-1, -1};

void RequestStop(int)
{
    const char byte = 0;
    [[maybe_unused]] ssize_t ignored = ::write(g_stopPipe[1], &byte, 1);
}

// Points `link` at `target`, replacing an earlier link (never a file).
bool MakeLink(const std::string& target, const std::string& link, std::string& error)
{
    struct stat info {};
    if (::lstat(link.c_str(), &info) == 0) {
        if (!S_ISLNK(info.st_mode)) {
            error = link + " exists and is not a symbolic link";
            return false;
        }
        ::unlink(link.c_str());
    }
    if (::symlink(target.c_str(), link.c_str()) != 0) {
        error = "cannot make the link " + link + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

// Removes the link only if it still points at this run's pseudo-terminal.
void RemoveLink(const std::string& target, const std::string& link)
{
    char points[4096];
    const ssize_t n = ::readlink(link.c_str(), points, sizeof points - 1);
    if (n >= 0 && std::string(points, static_cast<size_t>(n)) == target)
        ::unlink(link.c_str());
}

}  // namespace

int main(int argc, char** argv)
{
    sim::SimOptions options;
    std::string error;
    switch (sim::ParseSimOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
    case sim::ParseResult::Help:
        std::cout << sim::HelpText();
        return 0;
    case sim::ParseResult::Version:
        std::cout << "brenvik-sim " << kBrenvikVersion << '\n';
        return 0;
    case sim::ParseResult::Error:
        std::cerr << "brenvik-sim: " << error << '\n';
        return 1;
    case sim::ParseResult::Run:
        break;
    }

    if (::pipe2(g_stopPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        std::perror("brenvik-sim: pipe");
        return 1;
    }
    struct sigaction action {};
    action.sa_handler = RequestStop;
    ::sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    ::signal(SIGPIPE, SIG_IGN);

    sim::FrameLog log(std::cout);
    sim::PtyServer server(options, options.log ? [&log](const sim::LineFrame& frame) { log.Log(frame); }
                                               : sim::FrameCallback());
    if (!server.Open(error)) {
        std::cerr << "brenvik-sim: " << error << '\n';
        return 1;
    }
    if (!options.linkPath.empty() && !MakeLink(server.SlavePath(), options.linkPath, error)) {
        std::cerr << "brenvik-sim: " << error << '\n';
        return 1;
    }
    std::cout << server.SlavePath() << std::endl;

    const int result = server.Serve(g_stopPipe[0]);
    if (!options.linkPath.empty())
        RemoveLink(server.SlavePath(), options.linkPath);
    if (result != 0) {
        std::cerr << "brenvik-sim: " << std::strerror(result) << '\n';
        return 1;
    }
    return 0;
}
