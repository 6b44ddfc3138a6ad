#pragma once
// Starting another program without waiting for it.
#include <string>
#include <vector>

class wxProcess;

// Joins arguments into one command line, separated by one blank. An argument
// that already begins and ends with a double quote is taken as it is;
// otherwise each double quote in it is written \", and it is enclosed in
// double quotes when it is empty or holds a blank or a tab (backslashes that
// would then stand before the closing quote are doubled, so the quote still
// closes the argument).
std::string joinCommandLine(const std::vector<std::string>& arguments);

// Splits a command line as a Windows program's start-up code does (the inverse
// of joinCommandLine for ordinary arguments).
std::vector<std::string> splitCommandLine(const std::string& commandLine);

// Starts the program the arguments name (the first is the program), with the
// command line joinCommandLine makes of them, and returns at once. `onEnd`, when
// given, is told when the program ends. Returns the process id, or 0 when the
// program could not be started (`onEnd` is then never called).
long startProgram(const std::vector<std::string>& arguments, wxProcess* onEnd);
