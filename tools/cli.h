#pragma once
// orvista-cli: the recording database from a terminal, for administrators.
//
//   orvista-cli channels [--logger-ini PATH]
//   orvista-cli recordings --from TIME --to TIME [--channel NAME]... [--logger-ini PATH] [--count] [--no-index]
//   orvista-cli copy --from TIME --to TIME --into DIR [--channel NAME]... [--logger-ini PATH] [--yes]
//
// Output is tab-separated, one line per channel or recording; copy prints one
// copied file per line. Errors are one line on the error stream and exit
// status 2; copy also ends with 1 (some files failed) or 130 (stopped by
// SIGINT or SIGTERM, its files removed again).
#include <ostream>
#include <string>
#include <vector>

// Runs one command (arguments without the program name); returns the exit status.
int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
