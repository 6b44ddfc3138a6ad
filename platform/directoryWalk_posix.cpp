#include "directoryWalk.h"

#include <set>
#include <utility>
#include <vector>

#include <dirent.h>
#include <sys/stat.h>

namespace {
typedef std::pair<dev_t, ino_t> folderId;

void walk(const std::string& folder, const folderId& id, std::set<folderId>& open,
          const std::function<void(const std::string&)>& onFile)
{
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return;
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
            walk(sub.first, sub.second, open, onFile);
    for (const std::string& path : files)
        onFile(path);
    open.erase(id);
}
}

void walkDirectory(const std::string& root, const std::function<void(const std::string& path)>& onFile)
{
    struct stat info;
    if (stat(root.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return;
    std::set<folderId> open;
    walk(root, folderId(info.st_dev, info.st_ino), open, onFile);
}
