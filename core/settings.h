#pragma once
// What the program reads from its settings document at start: where
// "logger.ini" is, where Copy To... starts, the start-up view and selection,
// which lines are included, and the window's last place.
#include <map>
#include <string>

#include <wx/datetime.h>
#include <wx/string.h>

#include "core/viewInterval.h"

class wxXmlDocument;
class wxXmlNode;

// Line name to "included" flag; std::string orders names byte-wise.
typedef std::map<std::string, bool> lineStateMap;

struct windowGeometry {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool maximized = false;
};

struct startupSettings {
    std::string loggerIniPath;           // empty: the logger's default location
    wxString copyToDirectory;            // never empty after reading
    wxXmlNode* pathsElement = nullptr;   // the "paths" element that was read, if any
    vTimelineDisplayState view{-1, -1, -1, -1}; // all four -1 unless "startup" sets them
    lineStateMap lineSelection;
    bool hasGeometry = false;            // all four window numbers were present and valid
    windowGeometry geometry;
};

// Walks the root's children in document order; later elements of the same name
// override earlier ones, "line" entries of several "startup" elements
// accumulate. Missing or malformed values fall back to their defaults; nothing
// here is ever an error. `now` is the local time the relative kinds count from.
startupSettings readStartupSettings(wxXmlNode* root, const wxDateTime& now);

// Accepts "%Y-%m-%d %H:%M:%S" and a few other unambiguous spellings of a date
// with a time (time before date, "T" or no space between them, no seconds,
// "%Y/%m/%d", "%d.%m.%Y"). The whole text must be used, apart from surrounding
// white space. wx's free-form reader is not used: it takes 2024-13-01 for the
// 13th of January.
bool parseLenientDateTime(const wxString& text, wxDateTime& result);

// The form the settings file stores instants in.
extern const char* const settingsDateTimeFormat;

// What the program writes back when its window closes.
struct viewState {
    vTimelineDisplayState view{-1, -1, -1, -1}; // as the display holds it
    windowGeometry window; // the outer rectangle; the maximised one when maximised
    lineStateMap lines;    // every line of the panel with its included flag
};

// Rewrites every "startup" element among the root's children (none is ever
// created): the four instants and the window's place replace their attributes,
// which move to the end of the attribute list in a fixed order; everything
// inside the element is replaced by one "line" element per entry of `lines`, in
// byte-wise name order. "kind" and any other attribute stay as they are.
void saveViewState(wxXmlNode* root, const viewState& state);

// An instant in the settings file's form, in local time, the fraction of a
// second dropped. Empty for an instant no calendar date can show (not finite,
// before year 1 or after year 9999): read back, it counts as missing.
wxString formatSettingsInstant(double seconds);

// What the find panel remembers between runs, in an element "find" of its own.
enum class findScope { view, selection, archive };
struct findSettings {
    wxString query;
    findScope scope = findScope::view;
    bool includedLinesOnly = true;
    long shortest = -1; // seconds; -1 for no bound
    long longest = -1;
};
// The last "find" element among the root's children; defaults without one, and
// for a value that cannot be read.
findSettings readFindSettings(wxXmlNode* root);
// Writes the values into every "find" element among the root's children, or
// into a new one at the end when there is none.
void saveFindSettings(wxXmlNode* root, const findSettings& find);

// Whether calls the logger writes while the program runs appear without a
// Refresh, and how often it looks for them; an element "live" of its own.
struct liveSettings {
    bool on = true;
    int seconds = 3; // 1 to 3600
};
// The last "live" element among the root's children; defaults without one, and
// for a value that cannot be read.
liveSettings readLiveSettings(wxXmlNode* root);

// Writes the document with an indentation step of 1 and the encoding its file
// declared, without ever leaving a half-written file: a new file in the same
// folder is written and flushed to disk, then renamed over `path` (over the
// file it leads to, when it is a symbolic link). On failure the previous file
// is untouched, no temporary file stays behind, and `reason` says why.
// Returns whether the file was written.
bool writeSettingsFile(const wxXmlDocument& document, const wxString& path, wxString& reason);

// No settings file or schema comes near this nesting; a deeper one is refused
// before wx builds it, whose tree would need the stack or gigabytes for it.
constexpr int deepestSettingsNesting = 1000;

// Loads the program's own XML documents (the settings, the schema). False, with
// the reason, for anything but an ordinary file (opening a named pipe would
// wait for ever), a file that cannot be read or is not well-formed, a document
// nested deeper than deepestSettingsNesting, and one without a root.
bool loadSettingsDocument(wxXmlDocument& document, const wxString& path, wxString& reason);
