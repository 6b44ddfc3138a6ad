#include "platform/registry.h"

#include <vector>

#include <windows.h>

#include "platform/narrow.h"

namespace {
// The value in one view of the registry: a 64-bit program sees only the
// 64-bit one unless it asks, and 32-bit programs register under the other.
bool readFromView(HKEY base, const wxString& keyPath, const wxString& valueName, REGSAM view, std::wstring& value)
{
    HKEY key;
    if (RegOpenKeyExW(base, keyPath.wc_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS)
        return false;
    DWORD type = 0, size = 0;
    bool ok = false;
    if (RegQueryValueExW(key, valueName.wc_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ)) {
        // Room for a terminating NUL the stored value may lack.
        std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 2, 0);
        DWORD bytes = static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t));
        if (RegQueryValueExW(key, valueName.wc_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                             &bytes) == ERROR_SUCCESS) {
            value.assign(buffer.data()); // up to the first NUL
            ok = true;
        }
    }
    RegCloseKey(key);
    if (ok && type == REG_EXPAND_SZ) {
        // %ProgramFiles% and the like, as the shell would read them.
        const DWORD needed = ExpandEnvironmentStringsW(value.c_str(), nullptr, 0);
        std::vector<wchar_t> expanded(needed + 1, 0);
        if (needed && ExpandEnvironmentStringsW(value.c_str(), expanded.data(), needed + 1))
            value.assign(expanded.data());
    }
    return ok;
}
}

bool readRegistryString(registryRoot root, const std::string& keyPath, const std::string& valueName,
                        std::string& value)
{
    HKEY base = root == registryRoot::localMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    std::wstring found;
    for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
        if (readFromView(base, fromNarrow(keyPath), fromNarrow(valueName), view, found)) {
            value = toNarrow(wxString(found));
            return true;
        }
    }
    return false;
}
