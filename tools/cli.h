#pragma once
// orvista-cli: the recording database from a terminal, for administrators.
//
//   orvista-cli channels [--logger-ini PATH]
//   orvista-cli recordings --from TIME --to TIME [--channel NAME]... [--logger-ini PATH]
//
// Output is tab-separated, one line per channel or recording. Errors are one
// line on the error stream and exit status 2.
#include <ostream>
#include <string>
#include <vector>

// Runs one command (arguments without the program name); returns the exit status.
int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
