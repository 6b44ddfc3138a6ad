#include "support/systemSupport.h"

#include <stdlib.h>
#include <time.h>

#include <vector>

#include <windows.h>

// Links without administrator rights (in developer mode) came with Windows 10.
#ifndef SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE
#define SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE 0x2
#endif

namespace {
// File times count 100-nanosecond steps from 1601.
const std::int64_t stepsFrom1601To1970 = 116444736000000000;

std::string backslashed(std::string path)
{
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}
}

bool runningOnWindows()
{
    return true;
}

bool runningUnderWine()
{
    // Wine's ntdll exports its version; Windows' has no such function.
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

void useBerlinTime()
{
    // The C library reads TZ only as a name, an offset and a daylight-saving
    // name, and puts its own (American) switch days to it; a zone name such as
    // Europe/Berlin, which Wine is given to take its system zone from, it
    // misreads as UTC with American summer time. Without TZ it follows the
    // system's zone, switch days and all, so that is kept whenever the system
    // is on Central European time.
    TIME_ZONE_INFORMATION zone;
    const bool central = GetTimeZoneInformation(&zone) != TIME_ZONE_ID_INVALID && zone.Bias == -60 &&
                         zone.DaylightDate.wMonth == 3 && zone.StandardDate.wMonth == 10;
    _putenv_s("TZ", central ? "" : "CET-1CEST,M3.5.0,M10.5.0/3"); // an empty value removes it
    _tzset();
}

void useTimeZone(const char* rule)
{
    _putenv_s("TZ", rule);
    _tzset();
}

bool modificationTimeOf(const std::string& path, std::int64_t& nanoseconds)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return false;
    const std::int64_t steps =
        (static_cast<std::int64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
    nanoseconds = (steps - stepsFrom1601To1970) * 100;
    return true;
}

bool setModificationTime(const std::string& path, std::int64_t nanoseconds)
{
    std::int64_t steps = nanoseconds / 100;
    if (nanoseconds % 100 < 0)
        --steps;
    steps += stepsFrom1601To1970;
    FILETIME written;
    written.dwLowDateTime = static_cast<DWORD>(steps);
    written.dwHighDateTime = static_cast<DWORD>(steps >> 32);
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const bool set = SetFileTime(file, nullptr, nullptr, &written) != 0;
    CloseHandle(file);
    return set;
}

bool makeSymlink(const std::string& target, const std::string& link)
{
    // Without developer mode or the right to make them this fails, and the
    // test skips. Wine answers success without making anything, so the link
    // must be there afterwards (its own attributes: a link is not followed).
    const DWORD attributes = GetFileAttributesA(target.c_str());
    DWORD flags = SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE;
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        flags |= SYMBOLIC_LINK_FLAG_DIRECTORY;
    return CreateSymbolicLinkA(backslashed(link).c_str(), backslashed(target).c_str(), flags) != 0 &&
           GetFileAttributesA(backslashed(link).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool makeFifo(const std::string&)
{
    return false;
}

bool makeSocketFile(const std::string&)
{
    return false;
}

bool makeExecutable(const std::string&)
{
    return false;
}

bool makeReadOnly(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           SetFileAttributesA(path.c_str(), attributes | FILE_ATTRIBUTE_READONLY);
}

bool isReadOnly(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

bool makeWritable(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           SetFileAttributesA(path.c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
}

bool writesReadOnlyFiles()
{
    return false;
}

bool ownTerminalServerMark(bool& aware)
{
    const auto* image = reinterpret_cast<const unsigned char*>(GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image);
    if (!image || dos->e_magic != IMAGE_DOS_SIGNATURE)
        return false;
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(image + dos->e_lfanew);
    if (nt->Signature != IMAGE_NT_SIGNATURE)
        return false;
    aware = (nt->OptionalHeader.DllCharacteristics & IMAGE_DLLCHARACTERISTICS_TERMINAL_SERVER_AWARE) != 0;
    return true;
}

bool ownManifest(std::string& text, unsigned& codePage)
{
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24) /* RT_MANIFEST */);
    HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
    const char* data = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    if (!data)
        return false;
    text.assign(data, SizeofResource(nullptr, found));
    codePage = GetACP();
    return true;
}

bool writeMachineRegistryValue(bool thirtyTwoBitView, const std::string& keyPath, const std::string& valueName,
                               const std::string& value, bool expandable)
{
    HKEY key;
    const REGSAM view = thirtyTwoBitView ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, nullptr, 0, KEY_WRITE | view, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    const LONG status = RegSetValueExA(key, valueName.c_str(), 0, expandable ? REG_EXPAND_SZ : REG_SZ,
                                       reinterpret_cast<const BYTE*>(value.c_str()),
                                       static_cast<DWORD>(value.size() + 1));
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

bool removeMachineRegistryKey(const std::string& keyPath)
{
    bool removed = false;
    for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
        HKEY parent;
        const std::size_t slash = keyPath.find_last_of('\\');
        const std::string parentPath = slash == std::string::npos ? std::string() : keyPath.substr(0, slash);
        const std::string name = slash == std::string::npos ? keyPath : keyPath.substr(slash + 1);
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, parentPath.c_str(), 0, KEY_ALL_ACCESS | view, &parent) != ERROR_SUCCESS)
            continue;
        removed = RegDeleteTreeA(parent, name.c_str()) == ERROR_SUCCESS || removed;
        RegCloseKey(parent);
    }
    return removed;
}

bool permissionBitsOf(const std::string&, unsigned&)
{
    return false;
}

unsigned newFilePermissionBits()
{
    return 0;
}

bool withUnwritableFolder(const std::string&, const std::function<void()>&)
{
    return false;
}

bool withFileSizeLimit(std::uint64_t, const std::function<void()>&)
{
    return false;
}

std::string nativePath(std::string path)
{
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

bool ownFileVersion(int version[4])
{
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length == MAX_PATH)
        return false;
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    if (size == 0)
        return false;
    std::vector<char> data(size);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    if (!GetFileVersionInfoA(path, 0, size, data.data()) ||
        !VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &fixedSize) || !fixed ||
        fixedSize < sizeof(VS_FIXEDFILEINFO))
        return false;
    version[0] = HIWORD(fixed->dwFileVersionMS);
    version[1] = LOWORD(fixed->dwFileVersionMS);
    version[2] = HIWORD(fixed->dwFileVersionLS);
    version[3] = LOWORD(fixed->dwFileVersionLS);
    return true;
}

bool makeSymbolicLink(const std::string&, const std::string&)
{
    return false;
}

bool isSymbolicLink(const std::string&)
{
    return false;
}
