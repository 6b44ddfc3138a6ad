#include "platform/terminal.h"

#include <csignal>

#include <unistd.h>

namespace {
volatile std::sig_atomic_t stopRequested = 0;
// SIGHUP: the terminal was closed, which must not leave half a copy behind.
const int stopSignals[] = {SIGINT, SIGTERM, SIGHUP};
const int stopSignalCount = sizeof stopSignals / sizeof stopSignals[0];
struct sigaction previous[stopSignalCount];

extern "C" void onStopSignal(int)
{
    stopRequested = 1;
}
}

std::vector<std::string> commandArguments(int argc, char** argv)
{
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

void useUtf8Console() {}

bool errorStreamIsTerminal()
{
    return isatty(STDERR_FILENO) != 0;
}

stopRequests::stopRequests()
{
    stopRequested = 0;
    for (int i = 0; i < stopSignalCount; ++i) {
        struct sigaction action = {};
        action.sa_handler = onStopSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART; // a read or write in progress finishes its chunk
        sigaction(stopSignals[i], &action, &previous[i]);
    }
}

stopRequests::~stopRequests()
{
    for (int i = 0; i < stopSignalCount; ++i)
        sigaction(stopSignals[i], &previous[i], nullptr);
}

bool stopRequests::requested()
{
    return stopRequested != 0;
}
