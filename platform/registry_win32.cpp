#include "platform/registry.h"

#include <vector>

#include <windows.h>

bool readRegistryString(registryRoot root, const std::string& keyPath, const std::string& valueName,
                        std::string& value)
{
    HKEY base = root == registryRoot::localMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    HKEY key;
    if (RegOpenKeyExA(base, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD type = 0, size = 0;
    LONG status = RegQueryValueExA(key, valueName.c_str(), nullptr, &type, nullptr, &size);
    bool ok = false;
    if (status == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ)) {
        std::vector<char> buffer(size + 1, 0);
        if (RegQueryValueExA(key, valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                             &size) == ERROR_SUCCESS) {
            value.assign(buffer.data()); // up to the first NUL
            ok = true;
        }
    }
    RegCloseKey(key);
    return ok;
}
