#include "platform/userReport.h"

#include <wx/log.h>

void reportToUser(const wxString& message)
{
    wxLogError("%s", message);
    // Now, not at the next idle time: the program may be closing.
    wxLog::FlushActive();
}
