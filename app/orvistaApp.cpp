#include "app/orvistaApp.h"

#include <wx/filename.h>
#include <wx/image.h>
#include <wx/stdpaths.h>

#include "app/configError.h"
#include "app/orvistaFrame.h"
#include "core/programFiles.h"
#include "recdb/catalog.h"
#include "recdb/catalogIndex.h"
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

    // Catalogs read once are kept in the user's cache: the next start takes
    // them from there unless they changed.
    useCatalogIndex(std::make_shared<catalogIndex>(catalogIndex::defaultFolder()));

    orvistaFrame* frame = nullptr;
    try {
        frame = new orvistaFrame(files.programFolder(), files.settingsFolder());
    } catch (const configError&) {
        return false;
    }
    frame->Show(true);
    SetTopWindow(frame);
    return true;
}
