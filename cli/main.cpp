// brenvik-cli: the radio group settings and the channel scan from a terminal.

#include "cli/Commands.h"
#include "cli/SavedSettings.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <iostream>

namespace {

std::atomic<bool> g_stop {false};
static_assert(std::atomic<bool>::is_always_lock_free);

void RequestStop(int)
{
    g_stop = true;
}

} // namespace

int main(int argc, char** argv)
{
    struct sigaction action {};
    action.sa_handler = RequestStop;
    ::sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);

    cli::CliContext context(std::cout, std::cerr);
    context.portLookup = cli::SavedPortLookup();
    context.lineLookup = cli::SavedLineLookup();
    context.savedComPort = cli::SavedComPort();
    context.stop = &g_stop;
    context.progressLine = ::isatty(STDERR_FILENO) == 1;
    return cli::RunCli(std::vector<std::string>(argv + 1, argv + argc), context);
}
