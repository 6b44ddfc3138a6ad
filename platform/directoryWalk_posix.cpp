#include "directoryWalk.h"

#include <set>
#include <utility>
#include <vector>

#include <dirent.h>
#include <sys/stat.h>

#include "platform/folderListing.h"

namespace {
typedef std::pair<dev_t, ino_t> folderId;

void walk(const std::string& folder, const folderId& id, std::set<folderId>& open,
          const std::function<void(const std::string&)>& onFile, walkCounts& counts)
{
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return;
    ++counts.listings;
    open.insert(id);
    std::vector<std::pair<std::string, folderId>> folders;
    std::vector<std::string> files;
    while (dirent* entry = readdir(dir)) {
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        std::string path = folder;
        if (path.empty() || path.back() != '/')
            path += '/';
        path += name;
        unsigned char type = entry->d_type;
        if (type == DT_REG) {
            files.push_back(std::move(path));
            continue;
        }
        // Pipes, sockets and devices are left out: opening a pipe that nobody
        // writes to waits forever.
        if (type != DT_DIR && type != DT_LNK && type != DT_UNKNOWN)
            continue;
        struct stat info;
        ++counts.lookups;
        if (stat(path.c_str(), &info) != 0)
            continue; // a dangling link: neither a folder nor a readable file
        if (S_ISDIR(info.st_mode))
            folders.emplace_back(std::move(path), folderId(info.st_dev, info.st_ino));
        else if (S_ISREG(info.st_mode))
            files.push_back(std::move(path));
    }
    closedir(dir);
    for (const auto& sub : folders)
        if (!open.count(sub.second))
            walk(sub.first, sub.second, open, onFile, counts);
    for (const std::string& path : files)
        onFile(path);
    open.erase(id);
}
}

void walkDirectory(const std::string& root, const std::function<void(const std::string& path)>& onFile,
                   walkCounts* counts)
{
    walkCounts ignored;
    walkCounts& counted = counts ? *counts : ignored;
    struct stat info;
    ++counted.lookups;
    if (stat(root.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return;
    std::set<folderId> open;
    walk(root, folderId(info.st_dev, info.st_ino), open, onFile, counted);
}

// --- What the remembering walk asks ------------------------------------------

pathKind lookAtPath(const std::string& path, folderStamp& stamp)
{
    struct stat info;
    if (stat(path.c_str(), &info) != 0)
        return pathKind::nothing;
    if (S_ISREG(info.st_mode))
        return pathKind::file;
    if (!S_ISDIR(info.st_mode))
        return pathKind::nothing;
    stamp.modifiedSeconds = static_cast<std::int64_t>(info.st_mtim.tv_sec);
    stamp.modifiedNanoseconds = info.st_mtim.tv_nsec;
    stamp.changed = static_cast<std::int64_t>(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec;
    stamp.volume = static_cast<std::uint64_t>(info.st_dev);
    stamp.identity = static_cast<std::uint64_t>(info.st_ino);
    return pathKind::folder;
}

bool listFolder(const std::string& folder, std::vector<listedEntry>& entries, bool& keepable)
{
    keepable = true;
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return false;
    entries.clear();
    while (dirent* entry = readdir(dir)) {
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        unsigned char type = entry->d_type;
        if (type == DT_UNKNOWN) {
            // Some file systems leave the kind out: the entry itself tells it
            // (not what it leads to, which a link may change).
            struct stat info;
            if (lstat(joinPath(folder, name).c_str(), &info) != 0)
                continue;
            type = S_ISREG(info.st_mode)   ? DT_REG
                   : S_ISDIR(info.st_mode) ? DT_DIR
                   : S_ISLNK(info.st_mode) ? DT_LNK
                                           : DT_FIFO;
        }
        if (type == DT_REG)
            entries.push_back(listedEntry{name, entryKind::file});
        else if (type == DT_DIR)
            entries.push_back(listedEntry{name, entryKind::folder});
        else if (type == DT_LNK)
            entries.push_back(listedEntry{name, entryKind::link});
    }
    closedir(dir);
    return true;
}

bool checksEveryFolderForLoops()
{
    return true;
}

std::string joinPath(const std::string& folder, const std::string& name)
{
    std::string path = folder;
    if (path.empty() || path.back() != '/')
        path += '/';
    return path + name;
}
