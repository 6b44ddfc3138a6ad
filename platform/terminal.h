#pragma once
// What a command-line tool needs of its terminal: whether its error stream is
// one (to draw progress there), and a polite stop on Ctrl-C or a termination
// request.

bool errorStreamIsTerminal();

// For its lifetime, Ctrl-C (SIGINT) and SIGTERM only raise a flag that the
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
