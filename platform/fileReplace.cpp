#include "platform/fileReplace.h"

#include <wx/ffile.h>
#include <wx/file.h>
#include <wx/filename.h>
#include <wx/log.h>

bool writeFileReplacing(const wxString& path, const void* bytes, std::size_t size, wxString& error, bool durable)
{
    // wx would show its own complaints in a dialog; the caller reports `error`.
    wxLogNull quiet;
    wxFile file;
    const wxString temporary = wxFileName::CreateTempFileName(path + ".", &file);
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
