#pragma once
// What the program works with, apart from its windows: its files, the settings
// and schema documents, what the settings say about the start, the recording
// lines with the workers that read their catalogs, and the folder Copy To...
// offers. The window runs the start-up by calling these in order, asking the
// user where a step needs it; orvista-cli and tests use them without a window.
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <wx/datetime.h>
#include <wx/xml/xml.h>

#include "core/programFiles.h"
#include "core/settings.h"
#include "recdb/dynamicTimeline.h"
#include "recdb/timeline.h"

class callSearch;
class catalogLoader;
struct callFilter;

class orvistaSession {
public:
    explicit orvistaSession(const programFiles& files);
    // The workers stop before the timelines they read into go.
    ~orvistaSession();
    orvistaSession(const orvistaSession&) = delete;
    orvistaSession& operator=(const orvistaSession&) = delete;

    const programFiles& files() const { return paths; }

    // Reads the settings and the schema. False when either cannot be read (the
    // reasons are not told: the window reports one message for both).
    bool loadDocuments();
    // Reads what the settings say about the start; `now` is the local time the
    // relative start-up kinds count from.
    void readStartup(const wxDateTime& now);
    const startupSettings& startup() const { return startupValues; }

    // Where "logger.ini" is taken from; whether a file is there.
    const std::string& loggerIni() const { return loggerIniPath; }
    bool loggerIniFound() const;
    // The user's choice of "logger.ini". It is written into the settings' "paths"
    // element when there is one; without one it holds for this run only, as
    // creating one would put an element into the user's file that they never
    // wrote.
    void chooseLoggerIni(const wxString& path);

    // Reads "logger.ini" and scans every line's folder (`keepAlive` is called
    // now and then, at least every keep-alive interval of the scanner). Then
    // `show` gets the new lines, and only after it returned are the previous
    // ones released: whatever shows lines lets go of the old ones in `show`.
    void reload(const std::function<void()>& keepAlive,
                const std::function<void(const std::vector<const timeline*>&)>& show);
    // Line name to its folder, as "logger.ini" said at the last reload.
    const std::map<std::string, std::string>& channels() const { return channelFolders; }
    // One timeline per channel, in channel-name order.
    const std::vector<std::unique_ptr<timeline>>& lineTimelines() const { return timelines; }
    // How many catalogs the workers have read so far (it only grows).
    unsigned catalogsRead() const;
    // New calls without Refresh: what the settings say, and one look over
    // every line for what the logger wrote (dynamicTimeline::lookForNews), at
    // `now` (seconds since 1970). It stops the workers when it changes a line
    // (what they had queued is asked for again when the rows are painted);
    // call it only when no search runs and nothing waits for catalogs.
    liveSettings liveUpdates() const;
    dynamicTimeline::news lookForNews(std::int64_t now);
    // Makes sure every catalog of `lines` that the interval overlaps is read
    // (see loadInterval); false when `progress` stopped the wait.
    bool readInterval(const std::vector<const timeline*>& lines, double from, double to,
                      const std::function<bool(std::size_t done, std::size_t total)>& progress);

    // Starts a search for the calls of `lines` in (from, to) that `filter`
    // keeps, its catalogs read by the session's workers. The search must end
    // before the next reload.
    std::unique_ptr<callSearch> findCalls(const std::vector<const timeline*>& lines, double from, double to,
                                          const callFilter& filter) const;

    // The documents. The settings may be replaced by an edited copy.
    const wxXmlDocument& settings() const { return settingsDocument; }
    const wxXmlDocument& schema() const { return schemaDocument; }
    void replaceSettings(const wxXmlDocument& edited);
    // Puts the view, the window's place and the lines into the settings document.
    void keepView(const viewState& view);
    // What the find panel last looked for, as the settings hold it; and
    // putting it back into them.
    findSettings lastFind() const;
    bool hasFindSettings() const;
    void keepFind(const findSettings& find);
    // Writes the settings file; false, with the reason, when it could not be.
    bool saveSettings(wxString& reason) const;

    // The folder Copy To... offers: the settings' one at first, then the last
    // one chosen in this run (the settings file keeps its own value).
    const wxString& copyToFolder() const { return copyTo; }
    void setCopyToFolder(const wxString& folder) { copyTo = folder; }

private:
    programFiles paths;
    wxXmlDocument settingsDocument;
    wxXmlDocument schemaDocument;
    startupSettings startupValues;
    std::string loggerIniPath;
    wxString copyTo;
    std::map<std::string, std::string> channelFolders;
    std::vector<std::unique_ptr<timeline>> timelines;
    // Reads the catalogs the rows ask for; stopped before timelines go.
    std::unique_ptr<catalogLoader> loader;
};
