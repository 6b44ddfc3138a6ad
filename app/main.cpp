#include "app/orvistaApp.h"

wxIMPLEMENT_APP(orvistaApp);
