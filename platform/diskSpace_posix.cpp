#include "platform/diskSpace.h"

#include <cerrno>
#include <cstring>

#include <sys/statvfs.h>

bool measureVolume(const wxString& existingPath, volumeSpace& space, wxString& error)
{
    struct statvfs info;
    if (statvfs(existingPath.fn_str(), &info) != 0) {
        error = wxString::FromUTF8(std::strerror(errno));
        return false;
    }
    // f_bavail, not f_bfree: the blocks kept for the superuser are no room for
    // an ordinary user's copy.
    space.available = static_cast<std::uint64_t>(info.f_bavail) * info.f_frsize;
    space.capacity = static_cast<std::uint64_t>(info.f_blocks) * info.f_frsize;
    return true;
}
