#include "platform/fileAccess.h"

#include <sys/stat.h>
#include <unistd.h>

#include "platform/narrow.h"

bool canWriteFile(const wxString& path)
{
    // The name's own bytes, as the rest of the program hands them to the system.
    const std::string name = toNarrow(path);
    struct stat info;
    return !name.empty() && stat(name.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           access(name.c_str(), W_OK) == 0;
}
