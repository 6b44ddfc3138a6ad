#include "display/radioChoiceDialog.h"

#include <wx/artprov.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

radioChoiceDialog::radioChoiceDialog(wxWindow* parent, const wxString& message, const wxString& title,
                                     int count_, const wxString* labels, const int* values_)
    : wxDialog(parent, wxID_ANY, title, wxDefaultPosition, wxDefaultSize, wxDEFAULT_DIALOG_STYLE, "dialog"),
      count(count_ > 0 && labels && values_ ? count_ : 0)
{
    values.assign(values_, values_ + count);

    wxBoxSizer* outer = new wxBoxSizer(wxVERTICAL);
    wxBoxSizer* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(new wxStaticBitmap(this, wxID_ANY, wxArtProvider::GetBitmap(wxART_ERROR, wxART_OTHER),
                                wxDefaultPosition, wxDefaultSize, 0, "staticBitmap"),
             0, wxALL, FromDIP(16));

    wxBoxSizer* column = new wxBoxSizer(wxVERTICAL);
    column->Add(new wxStaticText(this, wxID_ANY, message, wxDefaultPosition, wxDefaultSize, 0, "staticText"), 0,
                wxALL, FromDIP(10));
    for (int i = 0; i < count; ++i) {
        wxRadioButton* button = new wxRadioButton(this, firstChoiceId + i, labels[i], wxDefaultPosition,
                                                  wxDefaultSize, i == 0 ? wxRB_GROUP : 0, wxDefaultValidator,
                                                  "radioButton");
        buttons.push_back(button);
        column->Add(button, 0, wxALL, FromDIP(5));
    }
    // Native toolkits check the first button of a group already; make sure of it.
    if (!buttons.empty())
        buttons.front()->SetValue(true);
    row->Add(column);

    outer->Add(row);
    outer->Add(CreateStdDialogButtonSizer(wxOK | wxCANCEL), 0, wxALIGN_RIGHT | wxALL, FromDIP(8));
    SetSizerAndFit(outer);
    Centre(wxBOTH);
}

int radioChoiceDialog::getSelection() const
{
    for (size_t i = 0; i < buttons.size(); ++i) {
        if (buttons[i]->GetValue())
            return values[i];
    }
    return 0;
}
