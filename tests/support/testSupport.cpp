#include "support/testSupport.h"

#include <wx/ffile.h>
#include <wx/log.h>
#include <wx/time.h>

#include "support/systemSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <random>
#include <vector>
#include <sstream>

#include <wx/dir.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/utils.h>

scratchDir::scratchDir()
{
    // A folder of a new random name, made in one step: a temporary file's name
    // turned into a folder could be handed to a test running alongside in the
    // time between (Windows gives out a freed name again).
    static std::mt19937_64 random{std::random_device{}() ^
                                  static_cast<std::uint64_t>(wxGetLocalTimeMillis().GetValue())};
    wxString base;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        base = wxFileName::GetTempDir() + wxFILE_SEP_PATH +
               wxString::Format("orvista-test-%016llx", static_cast<unsigned long long>(random()));
        wxLogNull quiet;
        if (wxMkdir(base))
            break;
    }
    root = base.utf8_string();
}

namespace {
// Removes a folder tree entry by entry. wx's recursive removal on Windows goes
// through the shell, whose copy in Wine cuts paths longer than 260 characters
// and then removed the files of the working folder instead.
void removeTreeByEntries(const wxString& folder)
{
    std::vector<wxString> files, folders;
    {
        wxLogNull quiet;
        wxDir dir(folder);
        if (!dir.IsOpened())
            return;
        wxString name;
        for (bool more = dir.GetFirst(&name, wxEmptyString, wxDIR_FILES | wxDIR_HIDDEN); more;
             more = dir.GetNext(&name))
            files.push_back(folder + wxFILE_SEP_PATH + name);
        for (bool more = dir.GetFirst(&name, wxEmptyString, wxDIR_DIRS | wxDIR_HIDDEN); more;
             more = dir.GetNext(&name))
            folders.push_back(folder + wxFILE_SEP_PATH + name);
    }
    wxLogNull quiet;
    for (const wxString& file : files)
        if (!wxRemoveFile(file) && makeWritable(file.utf8_string()))
            wxRemoveFile(file);
    for (const wxString& sub : folders)
        removeTreeByEntries(sub);
    wxRmdir(folder);
}
}

scratchDir::~scratchDir()
{
    if (runningOnWindows())
        removeTreeByEntries(wxString::FromUTF8(root));
    else
        wxFileName::Rmdir(wxString::FromUTF8(root), wxPATH_RMDIR_RECURSIVE);
}

std::string scratchDir::at(const std::string& relative) const
{
    return root + "/" + relative;
}

std::string scratchDir::write(const std::string& relative, const std::string& bytes) const
{
    std::string full = at(relative);
    wxFileName name(wxString::FromUTF8(full));
    wxFileName::Mkdir(name.GetPath(), wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
    if (runningOnWindows()) {
        // Through wx, which names files in Unicode there.
        wxFFile out(name.GetFullPath(), "wb");
        out.Write(bytes.data(), bytes.size());
    } else {
        // The bytes of the name as they are, UTF-8 or not.
        std::ofstream out(full, std::ios::binary);
        out << bytes;
    }
    return full;
}

std::string scratchDir::mkdir(const std::string& relative) const
{
    std::string full = at(relative);
    wxFileName::Mkdir(wxString::FromUTF8(full), wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
    return full;
}

scopedEnv::scopedEnv(const wxString& name_) : name(name_)
{
    hadPrevious = wxGetEnv(name, &previous);
}

scopedEnv::scopedEnv(const wxString& name_, const wxString& value) : scopedEnv(name_)
{
    wxSetEnv(name, value);
}

scopedEnv scopedEnv::unset(const wxString& name)
{
    scopedEnv env(name);
    wxUnsetEnv(name);
    return env;
}

scopedEnv::scopedEnv(scopedEnv&& other) noexcept
    : name(other.name), previous(other.previous), hadPrevious(other.hadPrevious), active(other.active)
{
    other.active = false;
}

scopedEnv::~scopedEnv()
{
    if (!active)
        return;
    if (hadPrevious)
        wxSetEnv(name, previous);
    else
        wxUnsetEnv(name);
}

std::string readWholeFile(const std::string& path)
{
    if (!runningOnWindows()) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }
    wxLogNull quiet; // a missing file reads as empty
    wxFFile in(wxString::FromUTF8(path), "rb");
    std::string bytes;
    char chunk[65536];
    size_t got;
    while (in.IsOpened() && (got = in.Read(chunk, sizeof chunk)) > 0)
        bytes.append(chunk, got);
    return bytes;
}

void fixTimeZoneAndLocale()
{
    wxSetEnv("LC_ALL", "C");
    useBerlinTime();
}

namespace {
void failOnAssert(const wxString& file, int line, const wxString& func, const wxString& cond,
                  const wxString& msg)
{
    ADD_FAILURE_AT(file.utf8_str(), line)
        << "wx assert in " << func.utf8_string() << ": " << cond.utf8_string() << " " << msg.utf8_string();
}
}

void installAssertHandler()
{
    wxSetAssertHandler(failOnAssert);
}
