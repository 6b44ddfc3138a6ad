#pragma once
// For the Windows sources of this folder only: the program's narrow text
// (UTF-8, platform/narrow.h) as the wide text the system's W functions take,
// and back. Every call into Windows goes through the wide functions, so no
// name depends on the code page the process or the machine runs with.
#include <string>

#include <windows.h>

#include "platform/narrow.h"

// A path as the wide functions take it. From MAX_PATH characters on, a full
// path gets the \\?\ form, which lifts the limit on every Windows version
// (the manifest's long-path awareness only works where the machine allows it);
// that form takes no '/' and no "." or ".." parts, so they are resolved first.
inline std::wstring systemPath(const wxString& path)
{
    std::wstring wide(path.wc_str());
    if (wide.size() < MAX_PATH - 12 || wide.compare(0, 4, L"\\\\?\\") == 0)
        return wide;
    for (wchar_t& c : wide)
        if (c == L'/')
            c = L'\\';
    const bool drive = wide.size() > 2 && wide[1] == L':' && wide[2] == L'\\';
    const bool share = wide.compare(0, 2, L"\\\\") == 0;
    if (!drive && !share)
        return wide; // relative: the system resolves it against the working folder
    const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    std::wstring full(needed, L'\0');
    const DWORD length = needed ? GetFullPathNameW(wide.c_str(), needed, &full[0], nullptr) : 0;
    if (length == 0 || length >= needed)
        return wide;
    full.resize(length);
    return share ? L"\\\\?\\UNC\\" + full.substr(2) : L"\\\\?\\" + full;
}

inline std::wstring systemPath(const std::string& narrowPath)
{
    return systemPath(fromNarrow(narrowPath));
}

// Narrow text of a wide name the system gave; false (and `narrow` empty) for a
// name with half of a surrogate pair, which has no narrow form.
inline bool narrowOf(const wchar_t* wide, std::string& narrow)
{
    const wxString text(wide);
    narrow = toNarrow(text);
    return representable(text);
}

// The system's reason for an error code, in the user's language.
inline wxString systemMessage(DWORD code)
{
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
        0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    wxString message;
    if (length != 0 && text != nullptr)
        message.assign(text, length);
    if (text != nullptr)
        LocalFree(text);
    message.Trim();
    if (message.empty())
        message = wxString::Format("Windows error %lu", static_cast<unsigned long>(code));
    return message;
}
