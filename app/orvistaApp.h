#pragma once
#include <wx/app.h>

class orvistaApp : public wxApp {
public:
    bool OnInit() override;
};

wxDECLARE_APP(orvistaApp);
