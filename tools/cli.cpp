#include "tools/cli.h"

#include <map>
#include <set>

#include "app/settings.h"
#include "recdb/dynamicTimeline.h"
#include "recdb/loggerIni.h"
#include "platform/narrow.h"
#include "recdb/timeValue.h"

namespace {
const char* const usage =
    "usage: orvista-cli channels [--logger-ini PATH]\n"
    "       orvista-cli recordings --from TIME --to TIME [--channel NAME]... [--logger-ini PATH]\n";

const char* const channelsHelp =
    "usage: orvista-cli channels [--logger-ini PATH]\n"
    "Lists the channels of logger.ini in name order, one line each, tab-separated:\n"
    "channel name, folder, number of day catalogs, first and last instant covered\n"
    "(local time, empty when the channel has no catalogs).\n"
    "Without --logger-ini the logger's default location is read.\n";

const char* const recordingsHelp =
    "usage: orvista-cli recordings --from TIME --to TIME [--channel NAME]... [--logger-ini PATH]\n"
    "Lists the recordings that overlap the interval, tab-separated: channel, start,\n"
    "end, label, file name. Channels come in name order (all when none is named),\n"
    "each channel's recordings in catalog order. TIME is local, written\n"
    "YYYY-MM-DD hh:mm:ss (YYYY-MM-DDThh:mm[:ss] and the like also work).\n"
    "Without --logger-ini the logger's default location is read.\n";

const char* const timeFormat = "%Y-%m-%d %H:%M:%S";

struct usageError {
    std::string message;
};

struct options {
    std::string command;
    std::string loggerIni;
    std::string from;
    std::string to;
    std::vector<std::string> channels;
    bool help = false;
};

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
    if (o.command != "channels" && o.command != "recordings")
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
        bool known = name == "--logger-ini" || (o.command == "recordings" &&
                                                (name == "--from" || name == "--to" || name == "--channel"));
        if (!known)
            throw usageError{"unknown option '" + a + "' for " + o.command + " (try " + o.command + " --help)"};
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
        else
            o.channels.push_back(value);
    }
    return o;
}

std::string formatSeconds(double seconds)
{
    return toNarrow(wxDateTime(static_cast<time_t>(seconds)).Format(timeFormat));
}

std::string formatTime(const wxDateTime& when)
{
    return when.IsValid() ? toNarrow(when.Format(timeFormat)) : std::string();
}

double parseTime(const std::string& text, const char* option)
{
    wxDateTime when;
    if (!parseLenientDateTime(fromNarrow(text), when))
        throw usageError{std::string("cannot read the time '") + text + "' of " + option +
                         " (write YYYY-MM-DD hh:mm:ss)"};
    double seconds = toSeconds(when);
    if (seconds < 0)
        throw usageError{std::string("the time '") + text + "' of " + option +
                         " lies outside 1970-01-01 to 2038-01-19"};
    return seconds;
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
        out << name << '\t' << directory << '\t' << t.catalogEntries().size() << '\t'
            << (t.isEmpty() ? "" : formatSeconds(t.getStart())) << '\t'
            << (t.isEmpty() ? "" : formatSeconds(t.getEnd())) << '\n';
    }
}

void listRecordings(const options& o, std::ostream& out)
{
    if (o.from.empty() || o.to.empty())
        throw usageError{"recordings needs --from and --to"};
    double from = parseTime(o.from, "--from");
    double to = parseTime(o.to, "--to");
    if (!(from < to))
        throw usageError{"--from must lie before --to"};
    std::map<std::string, std::string> channels = channelsOf(o.loggerIni);
    std::set<std::string> wanted(o.channels.begin(), o.channels.end());
    for (const std::string& name : wanted)
        if (!channels.count(name))
            throw usageError{"unknown channel '" + name + "'"};
    for (const auto& [name, directory] : channels) {
        if (!wanted.empty() && !wanted.count(name))
            continue;
        dynamicTimeline t(directory, name);
        for (const recording* r : t.getRecordings(from, to))
            out << name << '\t' << formatTime(r->start) << '\t' << formatTime(r->end) << '\t'
                << r->getProperty("label") << '\t' << r->getProperty("filename") << '\n';
    }
}
}

int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    try {
        options o = parseArguments(args);
        if (o.help) {
            out << (o.command == "channels" ? channelsHelp : o.command == "recordings" ? recordingsHelp : usage);
            return 0;
        }
        if (o.command == "channels")
            listChannels(o, out);
        else
            listRecordings(o, out);
        out.flush();
        return 0;
    } catch (const usageError& e) {
        err << "orvista-cli: " << e.message << '\n';
        return 2;
    }
}
