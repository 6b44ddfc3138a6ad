#include "platform/openDocument.h"

#include <wx/filefn.h>
#include <wx/utils.h>

bool openDocument(const wxString& path)
{
    // The desktop's own opener knows the user's chosen viewer. It is started
    // with an argument vector, so no shell ever sees the path.
    wxString pathList, opener;
    if (!wxGetEnv("PATH", &pathList) || !wxFindFileInPath(&opener, pathList, "xdg-open"))
        return false;
    const wxString arguments[] = {opener, path};
    const wchar_t* argv[] = {arguments[0].wc_str(), arguments[1].wc_str(), nullptr};
    return wxExecute(argv, wxEXEC_ASYNC) > 0;
}
