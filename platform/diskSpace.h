#pragma once
// How much room a volume has for the calling user.
#include <cstdint>

#include <wx/string.h>

struct volumeSpace {
    std::uint64_t available = 0; // bytes the calling user may still write
    std::uint64_t capacity = 0;  // size of the whole volume
};

// Measures the volume that holds `existingPath` (a file or folder that exists).
// False, with `error` set, when the system cannot tell.
bool measureVolume(const wxString& existingPath, volumeSpace& space, wxString& error);
