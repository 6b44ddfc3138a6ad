#pragma once
// Handing recordings to the maker's three other programs, installed apart from
// this one: Casebinder takes a folder of copies, Tracewise a list file of
// recording paths, Livecue plays a folder that its options file points at.
// Where they are installed is read from the registry.
#include <string>
#include <vector>

#include <wx/string.h>

class wxWindow;

// Starts Casebinder on a folder.
void launchCasebinder(const std::string& folder);

// Writes the paths to a new list file in the temporary folder and starts
// Tracewise on it. `copies` tells Tracewise the files are temporary copies it
// may delete. Tracewise knows no Unicode: the list holds one path a line, each
// ended by CR LF, in the machine's code page (platform/machineText.h), and is
// left for Tracewise. Paths that code page has no characters for are left out,
// and the user is told which (a left-out copy is removed, since nothing else
// would remove it); Tracewise still starts on the rest, or on an empty list.
void launchTracewise(const std::vector<std::string>& files, bool copies, wxWindow* parent);

struct LivecueLocation {
    std::string executable;
    std::string optionsFile;
    bool found = false;
};

// Finds Livecue's executable and its options file (see livecueOptionsFile).
LivecueLocation locateLivecue();

// The options file "player.opt" that Livecue installed in `installFolder`
// reads. Livecue is a 32-bit program without a manifest, so when a user may
// not write the installed file, Windows gives Livecue that user's copy of it
// instead: <localData>\VirtualStore\<install path without the drive>. This
// program is not redirected so, and takes that copy itself when it exists and
// the installed file cannot be written; otherwise the installed file (even one
// it cannot write: there is no other). Empty when neither exists.
std::string livecueOptionsFile(const std::string& installFolder, const wxString& localData);

// Writes the folder Livecue is to play into the bytes of its options file
// (which grow to hold it when shorter), as Livecue reads it: in the machine's
// code page. False, with `error` telling the user why and `options`
// unchanged, when the machine's code page has no characters for some of the
// path or it does not fit.
bool pointLivecueOptionsAt(std::vector<char>& options, const std::string& folder, wxString& error);

// Points Livecue's options file at `folder`, starts Livecue, and arranges that
// when it ends the folder is removed and the options file gets back what it had
// before the first Livecue of this program started. When that cannot be done
// (the path cannot be written for Livecue, the file cannot be read or written,
// Livecue does not start), the user is told, the options file is left or put
// back as it was, the folder is removed, and the result is false.
bool startLivecueOnCopy(const std::string& folder, const LivecueLocation& location, wxWindow* parent);
