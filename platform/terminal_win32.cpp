#include "platform/terminal.h"

#include <csignal>
#include <cstdio>

#include <cstdlib>

#include <io.h>

#include "platform/win32Text.h"

#include <shellapi.h>

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

std::vector<std::string> commandArguments(int argc, char** argv)
{
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide) // out of memory: what the runtime made of it
        return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
    std::vector<std::string> arguments;
    for (int i = 1; i < count; ++i) {
        std::string narrow;
        narrowOf(wide[i], narrow); // a half surrogate pair gives "", which no option or path is
        arguments.push_back(narrow);
    }
    LocalFree(wide);
    return arguments;
}

namespace {
UINT previousOutputCodePage = 0;

extern "C" void restoreConsole()
{
    SetConsoleOutputCP(previousOutputCodePage);
}
}

void useUtf8Console()
{
    // The console's own setting outlives the program: it is put back at exit.
    const UINT current = GetConsoleOutputCP();
    if (current == 0 || current == CP_UTF8 || previousOutputCodePage != 0)
        return;
    if (SetConsoleOutputCP(CP_UTF8)) {
        previousOutputCodePage = current;
        std::atexit(restoreConsole);
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
