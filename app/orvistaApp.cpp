#include "app/orvistaApp.h"

#include <wx/filename.h>
#include <wx/image.h>
#include <wx/stdpaths.h>

#include "app/configError.h"
#include "app/orvistaFrame.h"
#include "core/programFiles.h"
#include "platform/narrow.h"

bool orvistaApp::OnInit()
{
    useNarrowFileNames();
    wxInitAllImageHandlers();

    wxFileName program(argv[0]);
    // A program started through PATH sees only its bare name in argv[0]; the
    // schema next to it is then found through the executable's real path.
    if (!program.HasVolume() && program.GetPath().empty())
        program.Assign(wxStandardPaths::Get().GetExecutablePath());
    const programFiles files = programFiles::ofExecutable(program.GetFullPath());

    orvistaFrame* frame = nullptr;
    try {
        frame = new orvistaFrame(files);
    } catch (const configError&) {
        return false;
    }
    frame->Show(true);
    SetTopWindow(frame);
    return true;
}
