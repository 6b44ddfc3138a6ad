#include "platform/fileReplace.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <sys/stat.h>

bool replaceFile(const wxString& newFile, const wxString& target, wxString& error)
{
    const wxCharBuffer from = newFile.fn_str();
    const wxCharBuffer to = target.fn_str();
    // A temporary file is created readable by its owner only; keep what the
    // user had allowed on the file it replaces.
    struct stat old;
    if (stat(to.data(), &old) == 0 && S_ISREG(old.st_mode))
        chmod(from.data(), old.st_mode & 07777);
    if (std::rename(from.data(), to.data()) != 0) {
        error = wxString::FromUTF8(std::strerror(errno));
        return false;
    }
    return true;
}
