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

// Chooses an existing file in a file dialog. GTK's chooser fills GetPath() only
// after it has loaded the folder, so this waits for it.
class expectFileChoice : public wxExpectModalBase<wxFileDialog, expectFileChoice> {
public:
    explicit expectFileChoice(const wxString& path, int answer = wxID_OK);
    // A copy that calls `check` with the dialog before answering it. (A copy,
    // not a reference: wxTEST_DIALOG keeps only temporaries alive.)
    expectFileChoice inspect(std::function<void(wxFileDialog*)> check) const;

protected:
    int OnInvoked(wxFileDialog* dialog) const override;

private:
    wxString path;
    int answer;
    std::function<void(wxFileDialog*)> check;
};

// Chooses a folder in a folder dialog (GTK fills GetPath() only when the
// dialog accepts, so this sets the path and accepts it).
class expectDirChoice : public wxExpectModalBase<wxDirDialog, expectDirChoice> {
public:
    explicit expectDirChoice(const wxString& path, int answer = wxID_OK);
    expectDirChoice inspect(std::function<void(wxDirDialog*)> check) const;

protected:
    int OnInvoked(wxDirDialog* dialog) const override;

private:
    wxString path;
    int answer;
    std::function<void(wxDirDialog*)> check;
};

// Destroys a window at once (a top-level window's Destroy only schedules it),
// so that nothing it points to is painted after the test's own data is gone.
void destroyNow(wxWindow* window);

// Runs the event loop until the condition holds or the time is up; returns the
// condition's last value.
bool yieldUntil(const std::function<bool()>& condition, int milliseconds = 3000);
