// brenvik-cli: the radio group settings and the channel scan from a terminal.

#include "cli/Commands.h"
#include "cli/CliOptions.h"
#include "cli/SavedSettings.h"
#include "serial/DeviceLock.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <string>

namespace {

std::atomic<int> g_stop {0};
static_assert(std::atomic<int>::is_always_lock_free);

void RequestStop(int signal)
{
    g_stop = signal;
}

} // namespace

int main(int argc, char** argv)
{
#ifdef _WIN32
    // Ctrl+C reaches a console program as SIGINT through the C runtime.
    std::signal(SIGINT, RequestStop);
    std::signal(SIGTERM, RequestStop);
#else
    // No SA_RESTART: a wait in progress returns at once to look at the request.
    struct sigaction action {};
    action.sa_handler = RequestStop;
    ::sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
#endif

    if (const std::optional<std::string> note = cli::CheckSettingsFile())
        std::cerr << "brenvik-cli: " << *note << '\n';
    cli::CliContext context(std::cout, std::cerr);
    context.portLookup = cli::SavedPortLookup();
    context.lineLookup = cli::SavedLineLookup();
    context.savedComPort = cli::SavedComPort();
    context.storePort = cli::StoreSavedPort;
    context.forgetPort = cli::ForgetSavedPortPath;
    if (const char* port = std::getenv("BRENVIK_PORT"); port && *port)
        context.environmentPort = cli::PortArgument(port);
    context.lockFolder = device_lock::ProgramLockFolder();
    context.stop = &g_stop;
    context.progressLine = ::isatty(STDERR_FILENO) == 1;
    const char* term = std::getenv("TERM");
    context.plainTerminal = std::getenv("NO_COLOR") || (term && std::string(term) == "dumb");
    return cli::RunCli(std::vector<std::string>(argv + 1, argv + argc), context);
}
