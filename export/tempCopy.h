#pragma once
// Temporary copies handed to a sibling program, and their removal when the
// program that used them has ended.
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

// The termination handler of a sibling program started on a copy: when the
// program ends, the copy folder is removed and the options file gets back the
// bytes it had before it was pointed at the copy. It deletes itself when done.
class directoryCleanup : public wxProcess {
public:
    directoryCleanup(const std::string& folder, const std::string& optionsFile, std::vector<char> savedContent);

    void OnTerminate(int pid, int status) override;

private:
    std::string folder;
    std::string optionsFile;
    std::vector<char> savedContent;
};
