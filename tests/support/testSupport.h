#pragma once
// Helpers shared by all test programs: scratch folders, environment overrides,
// and turning wx asserts into test failures.
#include <string>

#include <wx/log.h>
#include <wx/string.h>

// A fresh folder below the temporary folder, removed with everything in it when
// the object goes out of scope.
class scratchDir {
public:
    scratchDir();
    ~scratchDir();
    scratchDir(const scratchDir&) = delete;
    scratchDir& operator=(const scratchDir&) = delete;

    const std::string& path() const { return root; }
    // Path of a name below the folder (not created).
    std::string at(const std::string& relative) const;
    // Writes bytes to a file below the folder, creating its parent folders.
    std::string write(const std::string& relative, const std::string& bytes) const;
    // Creates a folder (and its parents) below the folder.
    std::string mkdir(const std::string& relative) const;

private:
    std::string root;
};

// Sets (or, with unset(), removes) an environment variable for the scope.
class scopedEnv {
public:
    scopedEnv(const wxString& name, const wxString& value);
    static scopedEnv unset(const wxString& name);
    ~scopedEnv();
    scopedEnv(scopedEnv&&) noexcept;
    scopedEnv(const scopedEnv&) = delete;
    scopedEnv& operator=(const scopedEnv&) = delete;

private:
    explicit scopedEnv(const wxString& name);
    wxString name;
    wxString previous;
    bool hadPrevious = false;
    bool active = true;
};

// Reads a whole file; empty when it cannot be read.
std::string readWholeFile(const std::string& path);

// Every test program runs in one known place and language: local times in the
// tests are Berlin's (with its daylight-saving days), messages are untranslated.
// Called first thing in main, so it holds however the program is started.
void fixTimeZoneAndLocale();

// Installs a wx assert handler that reports each assert as a GoogleTest failure.
void installAssertHandler();

// For its lifetime, what wx's log receives (the reasons of catalogs that cannot
// be read, say), one message a line without time stamps.
class capturedLog : public wxLog {
public:
    capturedLog() : previous(wxLog::SetActiveTarget(this)) {}
    ~capturedLog() override { wxLog::SetActiveTarget(previous); }
    capturedLog(const capturedLog&) = delete;
    capturedLog& operator=(const capturedLog&) = delete;
    std::string text;

protected:
    void DoLogRecord(wxLogLevel, const wxString& message, const wxLogRecordInfo&) override
    {
        text += message.utf8_string() + "\n";
    }

private:
    wxLog* previous;
};
