#include "app/aboutDialog.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

orvAboutDialog::orvAboutDialog(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, "About Orvista", wxDefaultPosition, wxDefaultSize, wxDEFAULT_DIALOG_STYLE, "dialog")
{
    wxBoxSizer* outer = new wxBoxSizer(wxHORIZONTAL);
    wxBoxSizer* inner = new wxBoxSizer(wxVERTICAL);
    outer->Add(inner, 0, wxALL | wxEXPAND, 4);
    // Expanded across the dialog; a centring flag besides would be ignored (and
    // wx asserts on the combination).
    inner->Add(new wxStaticText(this, wxID_ANY, aboutText(), wxDefaultPosition, wxDefaultSize, 0, "staticText"), 0,
               wxALL | wxEXPAND, 4);
    inner->Add(new wxButton(this, wxID_OK, wxEmptyString, wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator,
                            "button"),
               0, wxALL | wxALIGN_RIGHT, 4);
    SetSizerAndFit(outer);
}

wxString orvAboutDialog::aboutText()
{
    // The program's version is also the executable's file and product version.
    const int version[4] = {ORVISTA_VERSION_MAJOR, ORVISTA_VERSION_MINOR, ORVISTA_VERSION_PATCH,
                            ORVISTA_VERSION_TWEAK};
    return wxString::Format("Orvista v. %d.%d.%d.%d\n(binary v. %d.%d.%d.%d)\n\n"
                            "Orvista displays Voxtrail recording channel timelines\n"
                            "and allows to select a range of recordings to load into Tracewise\n"
                            "or Livecue.\n\n",
                            version[0], version[1], version[2], version[3], version[0], version[1], version[2],
                            version[3]) +
           "VMK Recording Systems\n"
           "Support: support@vmk.example\n"
           "https://www.vmk.example/orvista";
}
