#pragma once
// GUI test helpers. Include this instead of <wx/testing.h>: it makes
// wxTEST_DIALOG use a hook that fails the test and cancels an unexpected dialog
// instead of showing it (a shown dialog would block the run).
#include <functional>

#include <wx/dialog.h>
#include <wx/dirdlg.h>
#include <wx/filedlg.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>

class failingModalHook;
#define wxTEST_DIALOG_HOOK_CLASS failingModalHook
#include <wx/testing.h>

class failingModalHook : public wxTestingModalHook {
public:
    failingModalHook(const char* file = nullptr, int line = 0, const char* func = nullptr)
        : wxTestingModalHook(file, line, func)
    {
    }

protected:
    int Enter(wxDialog* dialog) override;
    void ReportFailure(const wxString& message) override;
};

// Answers a message box with the given button and checks its text and caption
// (an empty expected text or caption is not checked).
class expectMessage : public wxExpectModalBase<wxMessageDialog, expectMessage> {
public:
    expectMessage(int answer, const wxString& text = wxString(), const wxString& caption = wxString());

protected:
    int OnInvoked(wxMessageDialog* dialog) const override;

private:
    int answer;
    wxString text;
    wxString caption;
};

// Chooses a path in a file or folder dialog: GTK's choosers take a path only
// asynchronously (file dialog) or copy it out when accepted (folder dialog),
// so these wait or accept as each needs.
void acceptPath(wxFileDialog* dialog, const wxString& path);
void acceptPath(wxDirDialog* dialog, const wxString& path);

template <class Dialog>
class expectPathChoice : public wxExpectModalBase<Dialog, expectPathChoice<Dialog>> {
public:
    explicit expectPathChoice(const wxString& path_, int answer_ = wxID_OK) : path(path_), answer(answer_) {}
    // A copy that calls `check` with the dialog before answering it. (A copy,
    // not a reference: wxTEST_DIALOG keeps only temporaries alive.)
    expectPathChoice inspect(std::function<void(Dialog*)> check_) const
    {
        expectPathChoice copy(*this);
        copy.check = std::move(check_);
        return copy;
    }

protected:
    int OnInvoked(Dialog* dialog) const override
    {
        if (check)
            check(dialog);
        if (answer == wxID_OK)
            acceptPath(dialog, path);
        return answer;
    }

private:
    wxString path;
    int answer;
    std::function<void(Dialog*)> check;
};

// The file must exist.
typedef expectPathChoice<wxFileDialog> expectFileChoice;
typedef expectPathChoice<wxDirDialog> expectDirChoice;

// Destroys a window at once (a top-level window's Destroy only schedules it),
// so that nothing it points to is painted after the test's own data is gone.
void destroyNow(wxWindow* window);

// Runs the event loop until the condition holds or the time is up; returns the
// condition's last value.
bool yieldUntil(const std::function<bool()>& condition, int milliseconds = 3000);
