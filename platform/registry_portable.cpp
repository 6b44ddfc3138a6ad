#include "platform/registry.h"

#include <vector>

#include <wx/app.h>
#include <wx/filename.h>
#include <wx/strconv.h>
#include <wx/utils.h>

#include "platform/fileReplace.h"
#include "platform/narrow.h"
#include "platform/standardPaths.h"

namespace {
wxString registryFile()
{
    wxString path;
    if (wxGetEnv("ORVISTA_REGISTRY", &path) && !path.empty())
        return path;
    // The settings folder is named after the program, as the application names it.
    const wxAppConsole* app = wxAppConsole::GetInstance();
    const wxString program = app ? app->GetAppName() : wxString("orvista");
    return wxFileName(wxFileName(roamingDataDirectory(), program).GetFullPath(), "registry.reg").GetFullPath();
}

wxString readText(const wxString& path)
{
    // A missing file is a registry without the keys: no complaint.
    std::vector<char> read;
    if (!readFileBytes(path, read))
        return wxString();
    std::string bytes(read.begin(), read.end());
    if (bytes.size() >= 2 && bytes[0] == '\xff' && bytes[1] == '\xfe')
        return wxString(bytes.data() + 2, wxMBConvUTF16LE(), bytes.size() - 2);
    if (bytes.size() >= 3 && bytes.compare(0, 3, "\xef\xbb\xbf") == 0)
        bytes.erase(0, 3);
    return wxString::FromUTF8(bytes.data(), bytes.size());
}

// The names regedit writes, and their usual short forms.
wxString rootName(registryRoot root, bool shortForm)
{
    if (root == registryRoot::localMachine)
        return shortForm ? "HKLM" : "HKEY_LOCAL_MACHINE";
    return shortForm ? "HKCU" : "HKEY_CURRENT_USER";
}

// Reads a quoted string starting at `pos` (at the opening quote); regedit
// escapes only backslash and quote. False when the closing quote is missing.
bool readQuoted(const wxString& line, size_t& pos, wxString& out)
{
    out.clear();
    for (++pos; pos < line.size(); ++pos) {
        wxUniChar c = line[pos];
        if (c == '"') {
            ++pos;
            return true;
        }
        if (c == '\\' && pos + 1 < line.size())
            c = line[++pos];
        out += c;
    }
    return false;
}
}

bool readRegistryString(registryRoot root, const std::string& keyPath, const std::string& valueName,
                        std::string& value)
{
    const wxString text = readText(registryFile());
    if (text.empty())
        return false;
    const wxString wantedKey = fromNarrow(keyPath).Lower();
    const wxString wantedValue = fromNarrow(valueName).Lower();
    bool inKey = false;
    wxString found;
    bool haveFound = false;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == wxString::npos)
            end = text.size();
        wxString line = text.substr(start, end - start);
        start = end + 1;
        line.Trim(true).Trim(false);
        if (line.StartsWith("[")) {
            wxString key = line.Mid(1).BeforeLast(']').Lower();
            inKey = false;
            for (bool shortForm : {false, true})
                inKey = inKey || key == rootName(root, shortForm).Lower() + "\\" + wantedKey;
            continue;
        }
        if (!inKey || !line.StartsWith("\""))
            continue;
        size_t pos = 0;
        wxString name, data;
        if (!readQuoted(line, pos, name) || name.Lower() != wantedValue)
            continue;
        if (pos >= line.size() || line[pos] != '=' || pos + 1 >= line.size() || line[pos + 1] != '"')
            continue; // not a string value
        ++pos;
        if (readQuoted(line, pos, data)) {
            found = data; // a later line of the same name wins, as on import
            haveFound = true;
        }
    }
    if (haveFound)
        value = toNarrow(found);
    return haveFound;
}
