#include "platform/machineText.h"

#include <atomic>

#include "platform/win32Text.h"

namespace {
std::atomic<unsigned> chosenCodePage{0};

// GetACP answers for this process, which the manifest makes UTF-8; the system
// locale keeps the code page every other program runs with.
unsigned machineCodePage()
{
    if (const unsigned chosen = chosenCodePage.load())
        return chosen;
    DWORD codePage = 0;
    if (GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                       reinterpret_cast<wchar_t*>(&codePage), sizeof codePage / sizeof(wchar_t)) == 0 ||
        codePage == 0)
        return 1252;
    return codePage;
}
}

std::string narrowFromMachineText(const std::string& bytes)
{
    if (bytes.empty())
        return bytes;
    const unsigned codePage = machineCodePage();
    const int size = static_cast<int>(bytes.size());
    const int units = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    if (units <= 0)
        return bytes;
    std::wstring wide(static_cast<size_t>(units), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), size, &wide[0], units);
    // By length: a NUL byte stays one (the profile parser ends a line's text there).
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(length > 0 ? length : 0), '\0');
    if (length > 0)
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, &narrow[0], length, nullptr, nullptr);
    return narrow;
}

bool machineTextFromNarrow(const std::string& text, std::string& bytes)
{
    bytes.clear();
    if (text.empty())
        return true;
    const std::wstring wide(fromNarrow(text).wc_str());
    const unsigned codePage = machineCodePage();
    BOOL lost = FALSE;
    // UTF-7 and UTF-8 take no flags: they have every character.
    const bool unicode = codePage == CP_UTF8 || codePage == CP_UTF7;
    BOOL* lostFlag = unicode ? nullptr : &lost;
    const DWORD flags = unicode ? 0 : WC_NO_BEST_FIT_CHARS;
    const int size = WideCharToMultiByte(codePage, flags, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, lostFlag);
    if (size <= 0)
        return false;
    std::string result(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(codePage, flags, wide.data(), static_cast<int>(wide.size()), &result[0], size,
                        nullptr, lostFlag);
    if (lost)
        return false;
    bytes = std::move(result);
    return true;
}

void useMachineCodePage(unsigned codePage)
{
    chosenCodePage = codePage;
}
