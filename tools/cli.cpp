#include "tools/cli.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <utility>

#include <wx/filename.h>
#include <wx/log.h>
#include <wx/stdpaths.h>
#include <wx/xml/xml.h>

#include "core/settings.h"
#include "core/programFiles.h"
#include "export/copyEngine.h"
#include "recdb/callListing.h"
#include "recdb/callMatch.h"
#include "recdb/catalogIndex.h"
#include "recdb/catalogLoader.h"
#include "recdb/dynamicTimeline.h"
#include "recdb/loggerIni.h"
#include "platform/narrow.h"
#include "platform/standardPaths.h"
#include "platform/terminal.h"
#include "recdb/timeValue.h"
#include "tools/cliTesting.h"
#include "tools/settingsCheck.h"

namespace {
const char* const channelsHelp =
    "Usage: orvista-cli channels [--logger-ini PATH]\n"
    "Lists the channels of logger.ini in name order, one line each, tab-separated:\n"
    "channel name, folder, number of day catalogs, first and last instant covered\n"
    "(local time, empty when the channel has no catalogs). A tab, line feed,\n"
    "carriage return or backslash in a field is written \\t, \\n, \\r or \\\\.\n"
    "Without --logger-ini the logger's default location is read.\n";

const char* const recordingsHelp =
    "Usage: orvista-cli recordings --from TIME --to TIME [--channel NAME]... [--logger-ini PATH] [--count] "
    "[--no-index] [--match PATTERNS] [--min-length SECONDS] [--max-length SECONDS]\n"
    "Lists the recordings that overlap the interval, tab-separated: channel, start,\n"
    "end, label, file name. Channels come in name order (all when none is named),\n"
    "each channel's recordings in catalog order. TIME is local, written\n"
    "YYYY-MM-DD hh:mm:ss (YYYY-MM-DDThh:mm[:ss] and the like also work), from\n"
    "1900-01-01 to 9999-12-31. A tab, line feed, carriage return or backslash in\n"
    "a field (a label or file name from a catalog) is written \\t, \\n, \\r or \\\\.\n"
    "Without --logger-ini the logger's default location is read.\n"
    "--count prints one line per channel instead: its name, a tab, and the number\n"
    "of recordings in the interval.\n"
    "--match lists only the calls whose label matches: patterns separated by\n"
    "commas, any of which may match, \"*\" for any run of characters, \"?\" for one,\n"
    "a leading \"!\" to exclude (\"0301234*, !*999\"). A pattern matches the whole\n"
    "label, letters in either case. Numbers match however they are written:\n"
    "blanks, \"-\", \".\", \"/\" and brackets are ignored and a leading \"+\" is \"00\",\n"
    "so \"+49 30 123\" finds \"004930123\". --min-length and --max-length keep the\n"
    "calls of at least and at most that many seconds. All three also work with\n"
    "--count and with copy.\n"
    "Exit status: 0 listed, 1 a catalog of the interval could not be read (named\n"
    "on stderr; the rest is listed), 2 usage error.\n"
    "Catalogs once read are kept in an index in the user's cache folder\n"
    "($XDG_CACHE_HOME/orvista, or ~/.cache/orvista; on Windows Orvista in the\n"
    "local application data), so that reading them again is quick; a changed\n"
    "catalog is read anew. --no-index neither uses nor fills it.\n";

const char* const copyHelp =
    "Usage: orvista-cli copy --from TIME --to TIME --into DIR [--channel NAME]... [--logger-ini PATH] [--yes] "
    "[--match PATTERNS] [--min-length SECONDS] [--max-length SECONDS]\n"
    "Copies the audio files of the recordings that 'recordings' lists for the same\n"
    "options into DIR, each below its line's and its day's folder name, and prints\n"
    "the path of every file copied, one a line, once the copy is done. Progress is\n"
    "shown on stderr when it is a terminal. Ctrl-C stops the copy and removes the\n"
    "files it had copied. The copy needs room for all files; when less than 1 GiB\n"
    "(or 5 % of a small volume) would remain free, it only goes on with --yes.\n"
    "Exit status: 0 all copied, 1 some files could not be copied or a catalog of\n"
    "the interval could not be read (named on stderr; the rest is copied), 2 usage\n"
    "error or not enough room, 130 stopped.\n";

const char* const settingsHelp =
    "Usage: orvista-cli settings [--file PATH] [--schema PATH]\n"
    "Checks Orvista's settings file against its schema as the configuration editor\n"
    "would, and prints one line per problem: the element's path, a colon, and the\n"
    "editor's message. Faults of the schema itself that the editor works around\n"
    "(a node declaration or property without a valid XML name, a property named\n"
    "like an earlier one of its node, a template with no element) come first, with\n"
    "paths into the schema. Defaults: orv.xml in Orvista's settings folder, and\n"
    "orv-config-schema.xml next to this program.\n"
    "Exit status: 0 no problems, 1 problems found (in either file), 2 a file cannot\n"
    "be read or a usage error.\n";

// The tool's own --help: every command's usage line, then each command's
// description under its name (also the source of the manual page).
std::string fullHelp()
{
    const std::pair<const char*, const char*> commands[] = {
        {"channels", channelsHelp}, {"recordings", recordingsHelp}, {"copy", copyHelp}, {"settings", settingsHelp}};
    std::string usageLines, descriptions;
    for (const auto& [name, help] : commands) {
        std::istringstream lines(help);
        std::string line;
        std::getline(lines, line); // "Usage: orvista-cli ..."
        usageLines += usageLines.empty() ? line + "\n" : "  or:  " + line.substr(line.find(' ') + 1) + "\n";
        descriptions += std::string("  ") + name + "\n";
        while (std::getline(lines, line))
            descriptions += "      " + line + "\n";
    }
    return usageLines +
           "Reads the call logger's recording database as Orvista does, from a terminal.\n"
           "Output is tab-separated; in every field a tab, line feed, carriage return or\n"
           "backslash is written \\t, \\n, \\r or \\\\.\n"
           "\nCommands:\n" +
           descriptions +
           "\nRun orvista-cli COMMAND --help for one command. Errors are one line on stderr,\n"
           "exit status 2.\n";
}

struct usageError {
    std::string message;
};

struct options {
    std::string command;
    std::string loggerIni;
    std::string from;
    std::string to;
    std::string into;
    std::string file;
    std::string schema;
    std::vector<std::string> channels;
    callFilter filter;
    bool yes = false;
    bool count = false;
    bool noIndex = false;
    bool help = false;
    bool version = false;
};

// Seconds written as a plain non-negative number (a fraction allowed).
double parseLength(const std::string& text, const std::string& option)
{
    double seconds = 0;
    size_t used = 0;
    try {
        seconds = std::stod(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (text.empty() || used != text.size() || !(seconds >= 0) || seconds > 1e15)
        throw usageError{"cannot read the length '" + text + "' of " + option + " (write a number of seconds)"};
    return seconds;
}

options parseArguments(const std::vector<std::string>& args)
{
    options o;
    if (args.empty())
        throw usageError{"no command given (try --help)"};
    o.command = args[0];
    if (o.command == "--help" || o.command == "-h") {
        o.help = true;
        return o;
    }
    if (o.command == "--version") {
        o.version = true;
        return o;
    }
    if (o.command != "channels" && o.command != "recordings" && o.command != "copy" && o.command != "settings")
        throw usageError{"unknown command '" + o.command + "' (try --help)"};
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            o.help = true;
            continue;
        }
        std::string name = a, value;
        bool inlineValue = false;
        size_t equals = a.find('=');
        if (a.rfind("--", 0) == 0 && equals != std::string::npos) {
            name = a.substr(0, equals);
            value = a.substr(equals + 1);
            inlineValue = true;
        }
        const bool checks = o.command == "settings";
        const bool selects = o.command != "channels" && !checks;
        const bool copies = o.command == "copy";
        const bool lists = o.command == "recordings";
        bool known = (!checks && name == "--logger-ini") ||
                     (selects && (name == "--from" || name == "--to" || name == "--channel" || name == "--match" ||
                                  name == "--min-length" || name == "--max-length")) ||
                     (copies && (name == "--into" || name == "--yes")) ||
                     (lists && (name == "--count" || name == "--no-index")) ||
                     (checks && (name == "--file" || name == "--schema"));
        if (!known)
            throw usageError{"unknown option '" + a + "' for " + o.command + " (try " + o.command + " --help)"};
        if (name == "--yes" || name == "--count" || name == "--no-index") {
            if (inlineValue)
                throw usageError{name + " takes no value"};
            (name == "--yes" ? o.yes : name == "--count" ? o.count : o.noIndex) = true;
            continue;
        }
        if (!inlineValue) {
            if (i + 1 >= args.size())
                throw usageError{name + " needs a value"};
            value = args[++i];
        }
        if (name == "--logger-ini")
            o.loggerIni = value;
        else if (name == "--from")
            o.from = value;
        else if (name == "--to")
            o.to = value;
        else if (name == "--into")
            o.into = value;
        else if (name == "--file")
            o.file = value;
        else if (name == "--schema")
            o.schema = value;
        else if (name == "--match")
            o.filter.query = callQuery(value);
        else if (name == "--min-length" || name == "--max-length")
            (name == "--min-length" ? o.filter.minLength : o.filter.maxLength) = parseLength(value, name);
        else
            o.channels.push_back(value);
    }
    if (o.filter.minLength >= 0 && o.filter.maxLength >= 0 && o.filter.minLength > o.filter.maxLength)
        throw usageError{"--min-length must not exceed --max-length"};
    return o;
}

std::string formatSeconds(double seconds)
{
    return listingTime(fromSeconds(seconds));
}

double parseTime(const std::string& text, const char* option)
{
    wxDateTime when;
    if (!parseLenientDateTime(fromNarrow(text), when))
        throw usageError{std::string("cannot read the time '") + text + "' of " + option +
                         " (write YYYY-MM-DD hh:mm:ss)"};
    if (when.GetYear() < 1900 || when.GetYear() > 9999)
        throw usageError{std::string("the time '") + text + "' of " + option +
                         " lies outside 1900-01-01 to 9999-12-31"};
    return toSeconds(when);
}

std::map<std::string, std::string> channelsOf(const std::string& loggerIni)
{
    if (!loggerIniExists(loggerIni))
        throw usageError{"logger.ini not found" + (loggerIni.empty() ? std::string(" in its default location")
                                                                     : ": " + loggerIni)};
    std::map<std::string, std::string> channels;
    readLoggerIni(loggerIni, channels);
    return channels;
}

void listChannels(const options& o, std::ostream& out)
{
    for (const auto& [name, directory] : channelsOf(o.loggerIni)) {
        dynamicTimeline t(directory, name);
        out << tabField(name) << '\t' << tabField(directory) << '\t' << t.catalogEntries().size() << '\t'
            << (t.isEmpty() ? "" : formatSeconds(t.getStart())) << '\t'
            << (t.isEmpty() ? "" : formatSeconds(t.getEnd())) << '\n';
    }
}

// The chosen channels (all when none is named) in name order, their catalogs
// of the interval read: on every core at once, so that a year of a busy
// installation takes seconds, not minutes. The recordings stay valid as long as
// the selection lives.
struct selection {
    double from = 0;
    double to = 0;
    std::vector<std::unique_ptr<dynamicTimeline>> lines;
    bool unreadable = false; // a catalog of the interval could not be read (and was reported)
};

void selectAndLoad(const options& o, selection& s, std::shared_ptr<const catalogIndex> index)
{
    if (o.from.empty() || o.to.empty())
        throw usageError{o.command + " needs --from and --to"};
    s.from = parseTime(o.from, "--from");
    s.to = parseTime(o.to, "--to");
    if (!(s.from < s.to))
        throw usageError{"--from must lie before --to"};
    std::map<std::string, std::string> channels = channelsOf(o.loggerIni);
    std::set<std::string> wanted(o.channels.begin(), o.channels.end());
    for (const std::string& name : wanted)
        if (!channels.count(name))
            throw usageError{"unknown channel '" + name + "'"};
    std::vector<const timeline*> lines;
    for (const auto& [name, directory] : channels) {
        if (!wanted.empty() && !wanted.count(name))
            continue;
        s.lines.push_back(std::make_unique<dynamicTimeline>(directory, name, std::function<void()>(), index.get()));
        lines.push_back(s.lines.back().get());
    }
    {
        catalogLoader loader(std::move(index)); // gone before the timelines whose entries it was given
        loadInterval(lines, s.from, s.to, &loader);
    }
    std::vector<std::string> unreadable;
    for (const auto& line : s.lines)
        line->unreadableCatalogs(s.from, s.to, unreadable);
    s.unreadable = !unreadable.empty();
    // What the workers logged about damaged catalogs waits in wx's queue until
    // the main thread flushes it; without an event loop that would be at exit,
    // after the list.
    wxLog::FlushActive();
}

// The recordings of the interval on the chosen channels: channels in name
// order, each channel's recordings in catalog order.
// False when a catalog of the interval could not be read.
bool forEachRecording(const options& o, std::shared_ptr<const catalogIndex> index,
                      const std::function<void(const std::string&, const recording&)>& visit)
{
    selection s;
    selectAndLoad(o, s, std::move(index));
    for (const auto& line : s.lines) {
        const std::string name = line->getName();
        for (const recording* r : line->getRecordings(s.from, s.to))
            if (o.filter.matches(*r))
                visit(name, *r);
    }
    return !s.unreadable;
}

std::string testIndexFolder; // set by the tests (cliTesting.h); empty: the user's cache folder

// 1 when a catalog of the interval could not be read: the rest is listed.
int listRecordings(const options& o, std::ostream& out)
{
    std::shared_ptr<const catalogIndex> index;
    if (!o.noIndex)
        index = std::make_shared<catalogIndex>(testIndexFolder.empty() ? toNarrow(programFiles::userCacheFolder())
                                                                       : testIndexFolder);
    if (o.count) {
        selection s;
        selectAndLoad(o, s, std::move(index));
        for (const auto& line : s.lines) {
            const recordingList found = line->getRecordings(s.from, s.to);
            const auto matching = std::count_if(found.begin(), found.end(),
                                                [&](const recording* r) { return o.filter.matches(*r); });
            out << tabField(line->getName()) << '\t' << matching << '\n';
        }
        return s.unreadable ? 1 : 0;
    }
    const bool read = forEachRecording(o, std::move(index), [&](const std::string& name, const recording& r) {
        out << tabField(name) << '\t' << listingTime(r.start) << '\t' << listingTime(r.end) << '\t' << tabField(r.label())
            << '\t' << tabField(r.fileName()) << '\n';
    });
    return read ? 0 : 1;
}

// --- copy ------------------------------------------------------------------

const cliCopySetup* testSetup = nullptr;

std::string megabytes(std::uint64_t bytes)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / 1e6);
    return text;
}

// Puts the copy on a terminal: questions are answered by --yes, problems go to
// the error stream, progress is one line redrawn in place.
class terminalObserver : public copyObserver {
public:
    terminalObserver(std::ostream& err_, const options& o_, bool progress_) : err(err_), o(o_), progress(progress_)
    {
    }

    bool refused = false; // the space check ended the copy before it began
    bool failed = false;
    std::size_t removed = 0;

    void spaceUnknown(const std::string& folder, const wxString& reason) override
    {
        refused = true;
        err << "orvista-cli: the free space in " << folder << " cannot be measured (" << toNarrow(reason)
            << "); nothing was copied\n";
    }

    void notEnoughSpace(std::uint64_t available, std::uint64_t total) override
    {
        refused = true;
        err << "orvista-cli: not enough free space for " << o.into << ": " << megabytes(total) << " needed, "
            << megabytes(available) << " free; nothing was copied\n";
    }

    bool continueWithLowSpace(std::uint64_t available, std::uint64_t total, std::uint64_t reserve) override
    {
        const std::string left = megabytes(available - total);
        if (o.yes) {
            err << "orvista-cli: warning: only " << left << " will remain free after the copy\n";
            return true;
        }
        refused = true;
        err << "orvista-cli: only " << left << " would remain free after the copy (less than "
            << megabytes(reserve) << "); nothing was copied, use --yes to copy anyway\n";
        return false;
    }

    void copyStarting(std::uint64_t total) override
    {
        if (progress)
            draw("copying   0% (0.0 MB of " + megabytes(total) + ")");
    }

    bool copyProgress(std::uint64_t done, std::uint64_t total) override
    {
        if (stopRequests::requested())
            return false;
        // The last update always comes, so the line ends at 100 %.
        if (progress && ((done >= total && shownDone < total) || due())) {
            shownDone = done;
            const int percent = total ? static_cast<int>(done * 100 / total) : 100;
            char figure[8];
            std::snprintf(figure, sizeof figure, "%3d%%", percent);
            draw(std::string("copying ") + figure + " (" + megabytes(done) + " of " + megabytes(total) + ")");
        }
        return true;
    }

    void rollbackStarting(std::size_t files) override
    {
        removed = files;
        if (progress)
            draw("stopped, removing the " + std::to_string(files) + " files copied so far");
    }

    void rollbackProgress(std::size_t deleted) override
    {
        if (progress && (deleted == removed || due()))
            draw("stopped, removing the files copied so far: " + std::to_string(deleted) + " of " +
                 std::to_string(removed));
    }

    void copyFinished() override
    {
        if (shownWidth > 0)
            err << '\n';
        shownWidth = 0;
        err.flush();
    }

    void filesFailed(const std::vector<copyFailure>& failures) override
    {
        failed = true;
        for (const copyFailure& f : failures)
            err << "orvista-cli: cannot copy " << tabField(f.source) << " to " << tabField(f.target) << ": " << toNarrow(f.reason)
                << '\n';
    }

private:
    using clock = std::chrono::steady_clock;

    // A terminal redraws slowly: at most ten updates a second.
    bool due()
    {
        const clock::time_point now = clock::now();
        if (now - lastDrawn < std::chrono::milliseconds(100))
            return false;
        lastDrawn = now;
        return true;
    }

    void draw(const std::string& line)
    {
        lastDrawn = clock::now();
        err << '\r' << line;
        if (line.size() < shownWidth)
            err << std::string(shownWidth - line.size(), ' ');
        shownWidth = line.size();
        err.flush();
    }

    std::ostream& err;
    const options& o;
    const bool progress;
    std::size_t shownWidth = 0;
    std::uint64_t shownDone = 0;
    clock::time_point lastDrawn;
};

int copyRecordingFiles(const options& o, std::ostream& out, std::ostream& err)
{
    if (o.into.empty())
        throw usageError{"copy needs --into"};
    const wxString into = fromNarrow(o.into);
    if (wxFileName::Exists(into) && !wxFileName::DirExists(into))
        throw usageError{"--into must name a folder: " + o.into};
    std::vector<std::string> sources;
    const bool read =
        forEachRecording(o, nullptr, [&](const std::string&, const recording& r) { sources.push_back(r.fileName()); });

    terminalObserver observer(err, o, testSetup ? testSetup->progress : errorStreamIsTerminal());
    std::vector<std::string> copied;
    bool completed;
    {
        stopRequests signals;
        completed = copyFiles(sources, o.into, &copied, observer, testSetup ? testSetup->system : copySystem());
    }
    if (!completed && observer.refused)
        return 2;
    if (!completed) {
        err << "orvista-cli: copy stopped; removed the " << observer.removed
            << (observer.removed == 1 ? " file" : " files") << " it had copied (files there before are as they were)\n";
        return 130;
    }
    for (const std::string& target : copied)
        out << tabField(target) << '\n';
    out.flush();
    return observer.failed || !read ? 1 : 0;
}

// --- settings --------------------------------------------------------------

void loadXml(wxXmlDocument& document, const std::string& path, const char* what)
{
    wxString reason;
    if (!loadSettingsDocument(document, fromNarrow(path), reason))
        throw usageError{std::string("cannot read the ") + what + " " + path + ": " + toNarrow(reason)};
}

int checkSettingsFile(const options& o, std::ostream& out)
{
    std::string file = o.file, schema = o.schema;
    // The program's settings, and the schema installed next to this tool.
    const programFiles files(wxFileName(wxStandardPaths::Get().GetExecutablePath()).GetPath(),
                             programFiles::userSettingsFolder());
    if (file.empty())
        file = toNarrow(files.settingsFile());
    if (schema.empty())
        schema = toNarrow(files.schemaFile());
    wxXmlDocument settings, schemaDocument;
    loadXml(settings, file, "settings file");
    loadXml(schemaDocument, schema, "schema");
    std::vector<settingsProblem> problems = checkSchema(schemaDocument.GetRoot());
    for (settingsProblem& p : checkSettings(settings.GetRoot(), schemaDocument.GetRoot()))
        problems.push_back(std::move(p));
    for (const settingsProblem& p : problems)
        out << p.path << ": " << p.message << '\n';
    out.flush();
    return problems.empty() ? 0 : 1;
}
}

void setCliCopySetup(const cliCopySetup* setup)
{
    testSetup = setup;
}

std::string setCliIndexFolder(const std::string& folder)
{
    std::string previous = testIndexFolder;
    testIndexFolder = folder;
    return previous;
}

int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    try {
        options o = parseArguments(args);
        if (o.version) {
            out << "orvista-cli " ORVISTA_VERSION "\n";
            return 0;
        }
        if (o.help) {
            if (o.command == "channels")
                out << channelsHelp;
            else if (o.command == "recordings")
                out << recordingsHelp;
            else if (o.command == "copy")
                out << copyHelp;
            else if (o.command == "settings")
                out << settingsHelp;
            else
                out << fullHelp();
            return 0;
        }
        if (o.command == "copy")
            return copyRecordingFiles(o, out, err);
        if (o.command == "settings")
            return checkSettingsFile(o, out);
        int status = 0;
        if (o.command == "channels")
            listChannels(o, out);
        else
            status = listRecordings(o, out);
        out.flush();
        return status;
    } catch (const usageError& e) {
        err << "orvista-cli: " << e.message << '\n';
        return 2;
    }
}
