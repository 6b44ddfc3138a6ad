#pragma once
// Opening a document (the user's guide) with the program the user has chosen
// for its type. The call returns once the viewer has been asked to start; it
// does not wait for the viewer.
#include <wx/string.h>

// False when no viewer could be started.
bool openDocument(const wxString& path);
