#include "environment.h"

wxString expandPercentReferences(const wxString& text)
{
    return text;
}
