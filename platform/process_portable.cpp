#include "platform/process.h"

#include <wx/process.h>
#include <wx/utils.h>

#include "platform/narrow.h"

long startProgram(const std::vector<std::string>& arguments, wxProcess* onEnd)
{
    // The program gets the arguments a Windows program would find in the same
    // command line, so both systems hand over the same thing.
    const std::vector<std::string> split = splitCommandLine(joinCommandLine(arguments));
    if (split.empty())
        return 0;
    std::vector<wxString> strings;
    for (const std::string& argument : split)
        strings.push_back(fromNarrow(argument));
    std::vector<const wchar_t*> argv;
    for (const wxString& s : strings)
        argv.push_back(s.wc_str());
    argv.push_back(nullptr);
    return wxExecute(argv.data(), wxEXEC_ASYNC, onEnd);
}
