#include "recdb/win32NativeConfig.h"

#include "platform/environment.h"
#include "platform/profile.h"
#include "platform/narrow.h"

#include <cstring>
#include <stdexcept>

namespace {
[[noreturn]] void unsupported(const char* operation)
{
    throw std::logic_error(std::string("win32NativeConfig is read-only: ") + operation + " is not supported");
}
}

win32NativeConfig::win32NativeConfig(const std::string& fileName_)
    : wxConfigBase(wxEmptyString, wxEmptyString, wxEmptyString, wxEmptyString, 0),
      readBuffer(16), fileName(fileName_)
{
}

void win32NativeConfig::SetPath(const wxString& path)
{
    // Callers only ever pass constant absolute paths; anything else is a bug.
    if (!path.empty() && !path.StartsWith("/"))
        throw std::invalid_argument("win32NativeConfig::SetPath needs an absolute path, got \"" +
                                    path.utf8_string() + "\"");
    currentPath = path;
}

const wxString& win32NativeConfig::GetPath() const
{
    return currentPath;
}

unsigned long win32NativeConfig::callProfile(const char* section, const char* key) const
{
    for (;;) {
        unsigned long length = readProfileString(section, key, "", readBuffer.data(),
                                                 static_cast<unsigned long>(readBuffer.size()), fileName.c_str());
        // A full buffer means the result may have been cut: retry with twice the room.
        if (static_cast<size_t>(length) + 2 < readBuffer.size())
            return length;
        readBuffer.assign(readBuffer.size() * 2, '\0');
    }
}

std::string win32NativeConfig::readValue(const std::string& section, const std::string& key) const
{
    unsigned long length = callProfile(section.c_str(), key.c_str());
    return std::string(readBuffer.data(), length);
}

win32NativeConfig::nameList win32NativeConfig::readList(const char* section) const
{
    unsigned long length = callProfile(section, nullptr);
    nameList names;
    const char* at = readBuffer.data();
    const char* end = at + length;
    // The list ends where the returned length says: Windows lists a "[]"
    // section or an "=value" line as an empty name, whose NUL would otherwise
    // look like the list's end. Empty names are left out, as nothing can ask
    // for them.
    while (at < end) {
        std::string name(at, strnlen(at, static_cast<size_t>(end - at)));
        at += name.size() + 1;
        if (!name.empty())
            names.push_back(fromNarrow(name));
    }
    return names;
}

std::string win32NativeConfig::currentSection() const
{
    return currentPath.empty() ? std::string() : toNarrow(currentPath.Mid(1));
}

bool win32NativeConfig::startEnumeration(nameList names, wxString& name, long& index) const
{
    long free = 0;
    for (const auto& entry : enumerationLists) {
        if (entry.first != free)
            break;
        ++free;
    }
    enumerationLists.emplace(free, std::move(names));
    index = free;
    return continueEnumeration(name, index);
}

bool win32NativeConfig::continueEnumeration(wxString& name, long& index) const
{
    auto found = enumerationLists.find(index);
    if (found == enumerationLists.end())
        return false;
    if (found->second.empty()) {
        enumerationLists.erase(found);
        return false;
    }
    name = found->second.front();
    found->second.pop_front();
    return true;
}

bool win32NativeConfig::GetFirstGroup(wxString& name, long& index) const
{
    return startEnumeration(readList(nullptr), name, index);
}

bool win32NativeConfig::GetNextGroup(wxString& name, long& index) const
{
    return continueEnumeration(name, index);
}

bool win32NativeConfig::GetFirstEntry(wxString& name, long& index) const
{
    return startEnumeration(readList(currentSection().c_str()), name, index);
}

bool win32NativeConfig::GetNextEntry(wxString& name, long& index) const
{
    return continueEnumeration(name, index);
}

size_t win32NativeConfig::GetNumberOfEntries(bool) const
{
    return readList(currentSection().c_str()).size();
}

size_t win32NativeConfig::GetNumberOfGroups(bool) const
{
    return readList(nullptr).size();
}

bool win32NativeConfig::listContains(const char* section, const wxString& name) const
{
    // Compared on the list's bytes as they come: the reader asks once per line,
    // and turning thousands of names into strings each time made large files
    // quadratic. Exact comparison, with case; no enumeration is left behind.
    const std::string wanted = toNarrow(name);
    unsigned long length = callProfile(section, nullptr);
    const char* at = readBuffer.data();
    const char* end = at + length;
    while (at < end && *at) {
        size_t size = std::strlen(at);
        if (size == wanted.size() && std::memcmp(at, wanted.data(), size) == 0)
            return true;
        at += size + 1;
    }
    return false;
}

bool win32NativeConfig::HasGroup(const wxString& name) const
{
    return listContains(nullptr, name);
}

bool win32NativeConfig::HasEntry(const wxString& name) const
{
    return listContains(currentSection().c_str(), name);
}

wxConfigBase::EntryType win32NativeConfig::GetEntryType(const wxString& name) const
{
    return HasEntry(name) ? Type_String : Type_Unknown;
}

bool win32NativeConfig::Flush(bool)
{
    return true;
}

bool win32NativeConfig::DoReadString(const wxString& key, wxString* value) const
{
    if (!HasEntry(key))
        return false;
    wxString text = fromNarrow(readValue(currentSection(), toNarrow(key)));
    // Expanded here the same way on every system; the base's own pass, which
    // follows, leaves the result as it is.
    *value = IsExpandingEnvVars() ? expandEnvironmentReferences(text) : text;
    return true;
}

bool win32NativeConfig::DoReadLong(const wxString& key, long* value) const
{
    wxString text;
    long number = 0;
    if (!DoReadString(key, &text) || !text.ToLong(&number, 10))
        return false;
    *value = number;
    return true;
}

#if wxUSE_BASE64
bool win32NativeConfig::DoReadBinary(const wxString&, wxMemoryBuffer*) const
{
    unsupported("reading binary data");
}

bool win32NativeConfig::DoWriteBinary(const wxString&, const wxMemoryBuffer&)
{
    unsupported("writing");
}
#endif

bool win32NativeConfig::DoWriteString(const wxString&, const wxString&)
{
    unsupported("writing");
}

bool win32NativeConfig::DoWriteLong(const wxString&, long)
{
    unsupported("writing");
}

bool win32NativeConfig::RenameEntry(const wxString&, const wxString&)
{
    unsupported("renaming");
}

bool win32NativeConfig::RenameGroup(const wxString&, const wxString&)
{
    unsupported("renaming");
}

bool win32NativeConfig::DeleteEntry(const wxString&, bool)
{
    unsupported("deleting");
}

bool win32NativeConfig::DeleteGroup(const wxString&)
{
    unsupported("deleting");
}

bool win32NativeConfig::DeleteAll()
{
    unsupported("deleting");
}
