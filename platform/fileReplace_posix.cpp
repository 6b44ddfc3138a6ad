#include "platform/fileReplace.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

#include <wx/filename.h>

bool replaceFile(const wxString& newFile, const wxString& target, wxString& error)
{
    const wxCharBuffer from = newFile.fn_str();
    const wxCharBuffer to = target.fn_str();
    // The new file is made readable by its owner only; it takes the rights of
    // the file it replaces, or, in place of none, those of any new file.
    struct stat old;
    if (stat(to.data(), &old) == 0 && S_ISREG(old.st_mode)) {
        chmod(from.data(), old.st_mode & 07777);
    } else {
        // umask can only be read by setting it; done once, so that threads
        // replacing files at the same time never see (or leave) a mask of 0.
        static const mode_t mask = [] {
            const mode_t current = umask(0);
            umask(current);
            return current;
        }();
        chmod(from.data(), 0666 & ~mask);
    }
    if (std::rename(from.data(), to.data()) != 0) {
        error = wxString::FromUTF8(std::strerror(errno));
        return false;
    }
    return true;
}

wxString linkedFile(const wxString& path)
{
    wxString current = path;
    // As many steps as the system itself follows before it gives up (a loop).
    for (int step = 0; step < 40; ++step) {
        const wxCharBuffer name = current.fn_str();
        char target[4096];
        const ssize_t length = readlink(name.data(), target, sizeof target - 1);
        if (length < 0)
            return current;
        target[length] = 0;
        wxFileName next(wxString(target, *wxConvFileName));
        if (next.IsRelative())
            next.MakeAbsolute(wxFileName(current).GetPath());
        current = next.GetFullPath();
    }
    return path;
}
