#pragma once
// What a command-line tool needs of its terminal: its arguments and output in
// Unicode, whether its error stream is a terminal (to draw progress there), and
// a polite stop on Ctrl-C or a termination request.
#include <string>
#include <vector>

// The arguments after the program's name as narrow text (UTF-8). On Windows
// they are taken from the wide command line: `argv` holds them converted to a
// code page, where characters outside it are lost or replaced by look-alikes.
std::vector<std::string> commandArguments(int argc, char** argv);

// Output goes out as UTF-8, to files and pipes as elsewhere; a Windows console
// is switched to show UTF-8 until the program ends.
void useUtf8Console();

bool errorStreamIsTerminal();

// For its lifetime, Ctrl-C (SIGINT), SIGTERM and SIGHUP (the terminal closed)
// only raise a flag that the
// work looks at between steps; the previous handlers come back afterwards, so a
// stop outside the work ends the program as usual. One at a time.
class stopRequests {
public:
    stopRequests();
    ~stopRequests();
    stopRequests(const stopRequests&) = delete;
    stopRequests& operator=(const stopRequests&) = delete;

    static bool requested();
};
