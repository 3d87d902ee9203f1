// brenvik-sim: the transceiver on a pseudo-terminal or a TCP port, for use without hardware.

#include "sim/FrameLog.h"
#include "sim/SimOptions.h"
#include "sim/SimServer.h"
#include "sim/TcpTransport.h"

#include "BrenvikVersion.h"

#ifdef _WIN32
#include <windows.h>
#else
#include "sim/PtyServer.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

#include <iostream>

namespace {

// The signal or console handler's way to the serving loop.
net::CWakeSignal* g_stop = nullptr;

#ifdef _WIN32

BOOL WINAPI RequestStop(DWORD)
{
    g_stop->Signal();
    return TRUE;
}

void HandleStopRequests()
{
    ::SetConsoleCtrlHandler(RequestStop, TRUE);
}

#else

void RequestStop(int)
{
    g_stop->Signal();
}

void HandleStopRequests()
{
    struct sigaction action {};
    action.sa_handler = RequestStop;
    ::sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
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

#endif

// A wrong command line; 1 (Failed) is for a pseudo-terminal, link or socket that cannot be made.
constexpr int kExitUsage = 2;

int Failed(const std::string& error)
{
    std::cerr << "brenvik-sim: " << error << '\n';
    return 1;
}

int Served(int result)
{
    return result == 0 ? 0 : Failed(net::ErrorText(result));
}

// The first line printed tells the program where to find the transceiver.
int ServeOnTcp(const sim::SimOptions& options, const sim::FrameCallback& onFrame, const net::CWakeSignal& stop)
{
    std::string error;
    sim::TcpTransport tcp;
    if (!tcp.Listen(*options.listen, error))
        return Failed(error);
    sim::SimServer server(options, onFrame);
    std::cout << tcp.Url() << std::endl;
    return Served(server.Serve(tcp, stop.Handle()));
}

#ifndef _WIN32
int ServeOnPty(const sim::SimOptions& options, const sim::FrameCallback& onFrame, const net::CWakeSignal& stop)
{
    std::string error;
    sim::PtyServer server(options, onFrame);
    if (!server.Open(error))
        return Failed(error);
    if (!options.linkPath.empty() && !MakeLink(server.SlavePath(), options.linkPath, error))
        return Failed(error);
    std::cout << server.SlavePath() << std::endl;
    const int result = server.Serve(stop.Handle());
    if (!options.linkPath.empty())
        RemoveLink(server.SlavePath(), options.linkPath);
    return Served(result);
}
#endif

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
        std::cerr << "brenvik-sim: " << error << " (see brenvik-sim --help)\n";
        return kExitUsage;
    case sim::ParseResult::Run:
        break;
    }

    int stopError = 0;
    const std::unique_ptr<net::CWakeSignal> stop = net::CWakeSignal::Create(stopError);
    if (!stop)
        return Failed("cannot make the stop signal: " + net::ErrorText(stopError));
    g_stop = stop.get();
    HandleStopRequests();

    sim::FrameLog log(std::cout);
    const sim::FrameCallback onFrame =
        options.log ? [&log](const sim::LineFrame& frame) { log.Log(frame); } : sim::FrameCallback();
    if (options.listen)
        return ServeOnTcp(options, onFrame, *stop);
#ifdef _WIN32
    return Failed("Windows has no pseudo-terminals: serve on TCP with --listen PORT");
#else
    return ServeOnPty(options, onFrame, *stop);
#endif
}
