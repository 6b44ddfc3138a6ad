#include "recdb/loggerIni.h"

#include "platform/windowsDirectory.h"
#include "platform/narrow.h"
#include "recdb/win32NativeConfig.h"

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

std::string joinedPath(const std::string& root, const std::string& name)
{
    if (root.empty() || wxFileName::IsPathSeparator(root.back()))
        return root + name;
    return root + std::string(1, static_cast<char>(wxFILE_SEP_PATH)) + name;
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

    config.SetPath("/");
    for (int line = 1;; ++line) {
        wxString section = wxString::Format("line%02d", line);
        if (!config.HasGroup(section) && !config.HasEntry(section))
            break;
        config.SetPath("/" + section);

        wxString storageName;
        wxString channelName;
        if (!config.Read("StoragePath", &storageName) || !config.Read("ChannelName", &channelName))
            continue;
        auto storage = storagePaths.find(toNarrow(storageName));
        if (storage == storagePaths.end())
            continue;
        // Without a name the line has no folder of its own (it would be the storage root).
        std::string channel = toNarrow(channelName);
        if (channel.empty())
            continue;
        std::string directory = joinedPath(storage->second, channel);
        if (!wxFileName::DirExists(fromNarrow(directory)))
            continue;
        channelDirectories[channel] = directory;
    }
}
