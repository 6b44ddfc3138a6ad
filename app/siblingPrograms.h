#pragma once
// Handing recordings to the maker's three other programs, installed apart from
// this one: Casebinder takes a folder of copies, Tracewise a list file of
// recording paths, Livecue plays a folder that its options file points at.
// Where they are installed is read from the registry.
#include <string>
#include <vector>

class wxWindow;

// Starts Casebinder on a folder.
void launchCasebinder(const std::string& folder);

// Writes the paths to a new list file in the temporary folder (one per line,
// each ended by CR LF; the file is left for Tracewise) and starts Tracewise on
// it. `copies` tells Tracewise the files are temporary copies it may delete.
void launchTracewise(const std::vector<std::string>& files, bool copies);

struct LivecueLocation {
    std::string executable;
    std::string optionsFile;
    bool found = false;
};

// Finds Livecue's executable and its options file "player.opt", in the install
// folder or in the per-user VirtualStore copy of it.
LivecueLocation locateLivecue();

// Points Livecue's options file at `folder`, starts Livecue, and arranges that
// when it ends the folder is removed and the options file gets back what it had
// before the first Livecue of this program started. When that cannot be done
// (the path does not fit, the file cannot be read, Livecue does not start), the
// user is told, the options file is left or put back as it was, the folder is
// removed, and the result is false.
bool startLivecueOnCopy(const std::string& folder, const LivecueLocation& location, wxWindow* parent);
