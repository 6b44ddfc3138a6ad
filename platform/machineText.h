#pragma once
// Text written by programs that know no Unicode: the logger's "logger.ini"
// and Livecue's options file hold bytes in the machine's ANSI code page on
// Windows (the one set for programs without Unicode, not the one this program
// runs with). Elsewhere such bytes are kept as they are, as the rest of the
// program keeps names that are not UTF-8.
#include <string>

// The narrow text (UTF-8) of bytes in the machine's code page.
std::string narrowFromMachineText(const std::string& bytes);

// The bytes in the machine's code page for narrow text; false (and `bytes`
// empty) when the code page has no character for some of it.
bool machineTextFromNarrow(const std::string& text, std::string& bytes);

// For tests: the code page taken for the machine's from now on (0: the
// machine's own again). Without effect elsewhere than Windows.
void useMachineCodePage(unsigned codePage);
