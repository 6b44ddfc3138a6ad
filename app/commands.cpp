#include "app/commands.h"

#include <wx/bitmap.h>
#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/mstream.h>
#include <wx/toolbar.h>

#include "platform/resources.h"

void addCommand(wxMenu* menu, const wxString& help, wxFrame* frame, int id, const wxString& label,
                int pictureId)
{
    if (menu)
        menu->Append(id, label, help);
    if (pictureId == -1)
        return;
    wxToolBar* toolBar = frame->GetToolBar();
    if (!toolBar)
        return;
    wxImage image = loadResourceImage(pictureId);
    if (!image.IsOk())
        image = wxImage(16, 16, true); // a blank tool still works; a broken bitmap asserts
    wxBitmap picture(image);
    toolBar->AddTool(id, wxString(), picture, wxNullBitmap, wxITEM_NORMAL, label, help);
}

wxImage loadResourceImage(int resourceNumber)
{
    const unsigned char* data = nullptr;
    std::size_t size = 0;
    if (!findResource(resourceNumber, data, size))
        return wxImage();
    wxMemoryInputStream stream(data, size);
    return wxImage(stream, wxBITMAP_TYPE_ANY);
}
