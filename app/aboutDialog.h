#pragma once
// Help > About...: the program's name, its version and who makes it.
#include <wx/dialog.h>

class orvAboutDialog : public wxDialog {
public:
    explicit orvAboutDialog(wxWindow* parent);

    // The text the dialog shows.
    static wxString aboutText();
};
