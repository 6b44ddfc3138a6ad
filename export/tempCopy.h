#pragma once
// Temporary copies handed to a sibling program, and their removal when the
// program that used them has ended.
#include <memory>
#include <string>
#include <vector>

#include <wx/process.h>

// A new, empty folder with a unique name in the user's temporary folder,
// readable by the user only; empty when none could be made. It is made at once
// (not just named), so nobody can have put a folder or link of that name there
// before the copy goes in.
std::string makeTemporaryCopyFolder();

// Removes a folder with everything in it. Links are removed, never followed.
// What cannot be deleted is left and the walk goes on.
void removeFolderTree(const std::string& folder);

// The bytes an options file had before a program started on a copy was pointed
// at that copy through it. While several such programs run on one options file,
// all of them share one hold on the first content; when the last one ends, that
// content is written back (in one step: the file is never half-written).
class savedOptionsFile {
public:
    // The hold of the programs still running through `path`, or a new one
    // with the file's current content; null when the file cannot be read.
    static std::shared_ptr<savedOptionsFile> hold(const std::string& path);
    ~savedOptionsFile();
    savedOptionsFile(const savedOptionsFile&) = delete;
    savedOptionsFile& operator=(const savedOptionsFile&) = delete;

    const std::vector<char>& content() const { return original; }

private:
    savedOptionsFile(const std::string& path, std::vector<char> content);
    std::string path;
    std::vector<char> original;
};

// The termination handler of a sibling program started on a copy: when the
// program ends, the copy folder is removed and the program's hold on its
// options file is let go. It deletes itself when done.
class directoryCleanup : public wxProcess {
public:
    directoryCleanup(const std::string& folder, std::shared_ptr<savedOptionsFile> options);

    void OnTerminate(int pid, int status) override;

private:
    std::string folder;
    std::shared_ptr<savedOptionsFile> options;
};
