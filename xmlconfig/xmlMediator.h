#pragma once
// The link between one editing widget, the settings element it edits and the
// schema element ("property" or "content") that describes the value; and the
// validator that lets a dialog's validation and transfer passes reach it.
#include <wx/validate.h>

class wxXmlNode;

class xmlMediator {
public:
    // Checks the widget's value; tells the user when it is not acceptable.
    virtual bool validate() = 0;
    // Shows the document's value in the widget.
    virtual bool transferToWindow() = 0;
    // Writes the widget's value into the document.
    virtual bool transferFromWindow() = 0;
    virtual ~xmlMediator() = default;
};

// Attached to every editing widget (which is also an xmlMediator); forwards the
// dialog's passes to it.
class xmlPropertyValidator : public wxValidator {
public:
    wxObject* Clone() const override;
    bool Validate(wxWindow* parent) override;
    bool TransferToWindow() override;
    bool TransferFromWindow() override;

private:
    xmlMediator* mediator() const;
};

// Checks `value` under the schema element; when it is not acceptable, shows the
// message in a "Validation error" box parented by `widget` and returns false.
bool validateValue(wxWindow* widget, const wxXmlNode* schemaElement, const wxString& value);
