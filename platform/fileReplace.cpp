#include "platform/fileReplace.h"

#include <wx/dir.h>
#include <wx/ffile.h>
#include <wx/file.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/time.h>

#include <cstdint>
#include <mutex>
#include <random>
#include <vector>

wxString createTemporaryFile(const wxString& prefix, wxFile& file)
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    static std::mutex lock;
    static std::mt19937_64 random{std::random_device{}() ^ static_cast<std::uint64_t>(wxGetLocalTimeMillis().GetValue())};
    wxLogNull quiet;
    for (int attempt = 0; attempt < 100; ++attempt) {
        wxString name = prefix;
        {
            std::lock_guard<std::mutex> guard(lock);
            for (int i = 0; i < 6; ++i)
                name += letters[random() % (sizeof letters - 1)];
        }
        // Without overwriting, the file is made only when the name is new.
        if (file.Create(name, false, wxS_IRUSR | wxS_IWUSR))
            return name;
        if (!wxFileName::DirExists(wxFileName(name).GetPath()))
            break;
    }
    return wxString();
}

void removeStaleTemporaries(const wxString& prefix)
{
    wxLogNull quiet;
    const wxFileName pattern(prefix);
    const wxString folder = pattern.GetPath().empty() ? wxString(".") : pattern.GetPath();
    const wxString start = pattern.GetFullName();
    wxDir dir(folder);
    if (!dir.IsOpened())
        return;
    const wxDateTime before = wxDateTime::Now() - wxTimeSpan::Minutes(5);
    std::vector<wxString> stale;
    wxString name;
    for (bool more = dir.GetFirst(&name, start + "??????", wxDIR_FILES | wxDIR_HIDDEN); more;
         more = dir.GetNext(&name)) {
        if (name.length() != start.length() + 6 || !name.StartsWith(start))
            continue;
        bool ours = true;
        for (size_t i = start.length(); i < name.length(); ++i) {
            const wxUniChar c = name[i];
            ours = ours && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'));
        }
        wxDateTime modified;
        const wxFileName file(folder, name);
        if (ours && file.GetTimes(nullptr, &modified, nullptr) && modified < before)
            stale.push_back(file.GetFullPath());
    }
    for (const wxString& path : stale)
        wxRemoveFile(path);
}

bool writeFileReplacing(const wxString& linkOrFile, const void* bytes, std::size_t size, wxString& error,
                        bool durable)
{
    const wxString path = linkedFile(linkOrFile);
    removeStaleTemporaries(path + ".");
    // wx would show its own complaints in a dialog; the caller reports `error`.
    wxLogNull quiet;
    wxFile file;
    const wxString temporary = createTemporaryFile(path + ".", file);
    if (temporary.empty()) {
        error = "no new file can be made in its folder";
        return false;
    }
    bool written = file.Write(bytes, size) == size;
    if (durable)
        written = file.Flush() && written;
    written = file.Close() && written;
    error = "the disk refused the data (is it full?)";
    if (written && replaceFile(temporary, path, error))
        return true;
    wxRemoveFile(temporary);
    return false;
}

bool readFileBytes(const wxString& path, std::vector<char>& bytes)
{
    wxLogNull quiet;
    wxFFile file(path, "rb");
    if (!file.IsOpened())
        return false;
    bytes.clear();
    char buffer[65536];
    size_t n;
    while ((n = file.Read(buffer, sizeof buffer)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + n);
    return !file.Error();
}
