#pragma once
// The program's commands: their numbers, the one table from which menus, tool
// bar and command handling are built, and the helper that puts one into a menu
// and, with a picture, onto the tool bar.
#include <vector>

#include <wx/image.h>
#include <wx/string.h>

class orvistaFrame;
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
    cmdFind = 15,
    // The highest number: menus and tool bar use the range from cmdRefresh.
    cmdLast = cmdFind,
};

// One entry of the menus, in menu order. An entry with id 0 is a separator in
// its menu. Commands of one menu that have pictures form a group on the tool
// bar; groups are separated. A command runs on the main window and the session
// behind it; `enabled` says whether it can run now, and menu and tool bar show
// it so (a command without `run` is shown disabled).
struct command {
    int id;
    const char* menu;  // title of the menu
    const char* label; // menu label and tool tip
    const char* help;  // status bar text and the tool's long help
    int picture;       // embedded picture number; -1: no tool
    void (*run)(orvistaFrame& frame);
    bool (*enabled)(const orvistaFrame& frame);
    const char* keys = nullptr; // the shortcut, as the menu shows it ("Ctrl+F"); null for none
};
const std::vector<command>& commandTable();
// The entry with that id; null for none.
const command* findCommand(int id);

// Appends a menu item (id, label with its shortcut, help text) to `menu` when it
// is not null and,
// when `pictureId` is not -1, a tool with the same id to the frame's tool bar,
// showing the embedded picture, with the label as tooltip and the help text as
// long help.
void addCommand(wxMenu* menu, const wxString& help, wxFrame* frame, int id, const wxString& label,
                int pictureId, const wxString& keys = wxString());

// Decodes the embedded picture with that number; an invalid image when there is
// no such picture.
wxImage loadResourceImage(int resourceNumber);
