#include "platform/openDocument.h"

#include <windows.h>
#include <shellapi.h>

bool openDocument(const wxString& path)
{
    // The shell's "open" verb starts the viewer associated with the type.
    HINSTANCE result = ShellExecuteW(nullptr, L"open", path.wc_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}
