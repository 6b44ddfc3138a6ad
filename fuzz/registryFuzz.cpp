// The registry file (ORVISTA_REGISTRY) holding the input: the sibling
// programs' entries, and the first key and value the file itself names.
#include <string>

#include "platform/registry.h"

#include "fuzzSupport.h"

namespace {
struct lookup {
    registryRoot root;
    const char* key;
    const char* value;
};

const lookup siblings[] = {
    {registryRoot::localMachine, "Software\\Vellmark, Inc.\\Casebinder", "InstallDir"},
    {registryRoot::currentUser, "Software\\Vellmark, Inc.\\Tracewise", "InstallPath"},
    {registryRoot::localMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Livecue_is1",
     "InstallLocation"},
};

// The key of the first "[HKEY_...\key]" line and the first quoted name after it
// (bytes as written, no unescaping), so that inputs reach a match.
bool namedInFile(const std::string& text, lookup& found, std::string& key, std::string& value)
{
    static const struct {
        const char* prefix;
        registryRoot root;
    } roots[] = {{"[HKEY_LOCAL_MACHINE\\", registryRoot::localMachine},
                 {"[HKEY_CURRENT_USER\\", registryRoot::currentUser}};
    for (const auto& r : roots) {
        std::size_t at = text.find(r.prefix);
        if (at == std::string::npos)
            continue;
        at += std::char_traits<char>::length(r.prefix);
        std::size_t end = text.find_first_of("]\r\n", at);
        key = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
        std::size_t quote = end == std::string::npos ? end : text.find('"', end);
        std::size_t close = quote == std::string::npos ? quote : text.find('"', quote + 1);
        value = close == std::string::npos ? std::string() : text.substr(quote + 1, close - quote - 1);
        found = {r.root, key.c_str(), value.c_str()};
        return true;
    }
    return false;
}
}

void fuzzRegistry(const std::uint8_t* data, std::size_t size)
{
    writeScratchFile("registry.reg", data, size);
    for (const lookup& l : siblings) {
        std::string value = "unchanged";
        if (!readRegistryString(l.root, l.key, l.value, value))
            FUZZ_CHECK(value == "unchanged", "a missing value changed the result");
    }
    lookup own{};
    std::string key, name;
    if (namedInFile(std::string(reinterpret_cast<const char*>(data), size), own, key, name)) {
        std::string value;
        readRegistryString(own.root, key, name, value);
    }
}
