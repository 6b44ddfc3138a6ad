#include "recdb/loggerIni.h"

#include "platform/windowsDirectory.h"
#include "platform/narrow.h"
#include "recdb/win32NativeConfig.h"

#include <algorithm>
#include <unordered_set>

#include <wx/filefn.h>
#include <wx/filename.h>

namespace {

std::string resolvedIniPath(const std::string& iniPath)
{
    wxFileName path = iniPath.empty() ? wxFileName(fromNarrow(windowsDirectory()), "logger.ini")
                                      : wxFileName(fromNarrow(iniPath));
    path.MakeAbsolute();
    return toNarrow(path.GetFullPath());
}

// The names an enumeration lists, exactly as HasGroup/HasEntry compare them.
template <typename First, typename Next>
std::unordered_set<std::string> namesOf(First first, Next next)
{
    std::unordered_set<std::string> names;
    wxString name;
    long index = 0;
    for (bool more = first(name, index); more; more = next(name, index))
        names.insert(toNarrow(name));
    return names;
}

// `root` is not empty. On Windows, where a root may be written with forward
// slashes, the folder gets backslashes throughout: a path of mixed separators
// would name the same folder but compare and show as another.
std::string joinedPath(const std::string& root, const std::string& name)
{
    std::string path = wxFileName::IsPathSeparator(root.back())
                           ? root + name
                           : root + std::string(1, static_cast<char>(wxFILE_SEP_PATH)) + name;
    if (wxFILE_SEP_PATH == '\\')
        std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

} // namespace

bool loggerIniExists(const std::string& iniPath)
{
    wxString path = fromNarrow(resolvedIniPath(iniPath));
    return wxFileName::FileExists(path) && !wxFileName::DirExists(path);
}

void readLoggerIni(const std::string& iniPath, std::map<std::string, std::string>& channelDirectories)
{
    win32NativeConfig config(resolvedIniPath(iniPath));

    std::map<std::string, std::string> storagePaths;
    config.SetPath("/storage paths");
    wxString key;
    long index = 0;
    for (bool more = config.GetFirstEntry(key, index); more; more = config.GetNextEntry(key, index)) {
        wxString root;
        if (config.Read(key, &root))
            storagePaths[toNarrow(key)] = toNarrow(root);
    }

    // Each HasGroup would list every section again, which made files with
    // thousands of lines quadratic: the names are taken once.
    config.SetPath("/");
    const std::unordered_set<std::string> sections = namesOf(
        [&](wxString& name, long& i) { return config.GetFirstGroup(name, i); },
        [&](wxString& name, long& i) { return config.GetNextGroup(name, i); });
    const std::unordered_set<std::string> rootEntries = namesOf(
        [&](wxString& name, long& i) { return config.GetFirstEntry(name, i); },
        [&](wxString& name, long& i) { return config.GetNextEntry(name, i); });
    for (int line = 1;; ++line) {
        wxString section = wxString::Format("line%02d", line);
        const std::string sectionName = toNarrow(section);
        if (!sections.count(sectionName) && !rootEntries.count(sectionName))
            break;
        config.SetPath("/" + section);

        wxString storageName;
        wxString channelName;
        if (!config.Read("StoragePath", &storageName) || !config.Read("ChannelName", &channelName))
            continue;
        auto storage = storagePaths.find(toNarrow(storageName));
        if (storage == storagePaths.end())
            continue;
        // Without a root the folder would be relative to wherever the program
        // was started, without a name it would be the storage root itself.
        std::string channel = toNarrow(channelName);
        if (storage->second.empty() || channel.empty())
            continue;
        std::string directory = joinedPath(storage->second, channel);
        if (!wxFileName::DirExists(fromNarrow(directory)))
            continue;
        channelDirectories[channel] = directory;
    }
}
