#include <iostream>

#include <wx/init.h>
#include <wx/log.h>

#include "platform/terminal.h"
#include "platform/narrow.h"
#include "tools/cli.h"

int main(int argc, char** argv)
{
    useNarrowFileNames();
    wxInitializer wx;
    if (!wx.IsOk()) {
        std::cerr << "orvista-cli: cannot initialise wxWidgets\n";
        return 1;
    }
    // Damaged catalogs are reported on stderr, never mixed into the output.
    delete wxLog::SetActiveTarget(new wxLogStderr);
    std::ios::sync_with_stdio(false);
    useUtf8Console();
    return runCli(commandArguments(argc, argv), std::cout, std::cerr);
}
