#pragma once
// The frame's commands: their numbers and the helper that puts one into a menu
// and, with a picture, onto the tool bar.
#include <wx/image.h>
#include <wx/string.h>

class wxFrame;
class wxMenu;

// Command numbers are fixed: settings, tests and the Windows resource script
// refer to them.
enum commandId {
    cmdRefresh = 1,
    cmdExit = 2,
    cmdZoomIn = 3,
    cmdZoomOut = 4,
    cmdZoomSelection = 5,
    cmdCopyTo = 6,
    cmdOpenInCasebinder = 7,
    cmdOpenInTracewise = 8,
    cmdOpenCopyInCasebinder = 9,
    cmdOpenCopyInTracewise = 10,
    cmdOpenCopyInLivecue = 11,
    cmdConfigure = 12,
    cmdUsersGuide = 13,
    cmdAbout = 14,
};

// Appends a menu item (id, label, help text) to `menu` when it is not null and,
// when `pictureId` is not -1, a tool with the same id to the frame's tool bar,
// showing the embedded picture, with the label as tooltip and the help text as
// long help.
void addCommand(wxMenu* menu, const wxString& help, wxFrame* frame, int id, const wxString& label,
                int pictureId);

// Decodes the embedded picture with that number; an invalid image when there is
// no such picture.
wxImage loadResourceImage(int resourceNumber);
