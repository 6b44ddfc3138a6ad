#include "platform/process.h"

#include <wx/process.h>
#include <wx/utils.h>

#include "platform/narrow.h"

long startProgram(const std::vector<std::string>& arguments, wxProcess* onEnd)
{
    // CreateProcess takes the command line as it is; the program splits it.
    return wxExecute(fromNarrow(joinCommandLine(arguments)), wxEXEC_ASYNC, onEnd);
}
