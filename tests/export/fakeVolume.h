#pragma once
// A copy system whose target volume has the room a test wants.
#include <cstdint>
#include <string>

#include "export/copyEngine.h"

const std::uint64_t tera = 1000000000000ull;

// Files are copied for real; measuring the volume gives these figures (and
// notes where it was asked to measure).
inline copySystem volumeOf(std::uint64_t available, std::uint64_t capacity, std::string* measuredAt = nullptr)
{
    copySystem system;
    system.measure = [=](const wxString& path, volumeSpace& space, wxString&) {
        if (measuredAt)
            *measuredAt = path.utf8_string();
        space.available = available;
        space.capacity = capacity;
        return true;
    };
    return system;
}
