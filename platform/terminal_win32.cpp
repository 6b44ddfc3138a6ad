#include "platform/terminal.h"

#include <csignal>
#include <cstdio>

#include <io.h>

namespace {
volatile std::sig_atomic_t stopRequested = 0;
const int stopSignals[] = {SIGINT, SIGTERM};
void (*previous[2])(int) = {};

extern "C" void onStopSignal(int signal)
{
    stopRequested = 1;
    std::signal(signal, onStopSignal); // the C runtime resets it after each signal
}
}

bool errorStreamIsTerminal()
{
    return _isatty(_fileno(stderr)) != 0;
}

stopRequests::stopRequests()
{
    stopRequested = 0;
    for (int i = 0; i < 2; ++i)
        previous[i] = std::signal(stopSignals[i], onStopSignal);
}

stopRequests::~stopRequests()
{
    for (int i = 0; i < 2; ++i)
        std::signal(stopSignals[i], previous[i]);
}

bool stopRequests::requested()
{
    return stopRequested != 0;
}
