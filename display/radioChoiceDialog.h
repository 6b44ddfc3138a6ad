#pragma once
// A modal question with an error icon, a message and one radio button per
// possible answer. Each answer carries an integer chosen by the caller; the
// time selectors use it to let the user pick how to repair an interval.
#include <vector>

#include <wx/dialog.h>

class wxRadioButton;

class radioChoiceDialog : public wxDialog {
public:
    // `labels` and `values` each hold `count` entries; the radio buttons get
    // the ids 10, 11, ... in the same order, and the first one is checked.
    radioChoiceDialog(wxWindow* parent, const wxString& message, const wxString& title, int count,
                      const wxString* labels, const int* values);

    // The value of the first checked radio button; 0 when none is checked.
    int getSelection() const;

    enum { firstChoiceId = 10 };

private:
    std::vector<int> values;
    int count;
    std::vector<wxRadioButton*> buttons;
};
