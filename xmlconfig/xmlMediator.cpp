#include "xmlconfig/xmlMediator.h"

#include <wx/msgdlg.h>
#include <wx/window.h>

#include "xmlconfig/validation.h"

wxObject* xmlPropertyValidator::Clone() const
{
    return new xmlPropertyValidator();
}

xmlMediator* xmlPropertyValidator::mediator() const
{
    return dynamic_cast<xmlMediator*>(GetWindow());
}

bool xmlPropertyValidator::Validate(wxWindow*)
{
    xmlMediator* m = mediator();
    return !m || m->validate();
}

bool xmlPropertyValidator::TransferToWindow()
{
    xmlMediator* m = mediator();
    return !m || m->transferToWindow();
}

bool xmlPropertyValidator::TransferFromWindow()
{
    xmlMediator* m = mediator();
    return !m || m->transferFromWindow();
}

bool validateValue(wxWindow* widget, const wxXmlNode* schemaElement, const wxString& value)
{
    const wxString message = validationMessage(schemaElement, value);
    if (message.empty())
        return true;
    wxMessageBox(message, "Validation error", wxOK | wxICON_ERROR, widget);
    return false;
}
