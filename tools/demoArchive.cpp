#include "tools/demoArchive.h"

#include <algorithm>
#include <cstdio>
#include <set>

#include <wx/dir.h>
#include <wx/filename.h>
#include <wx/wxcrt.h>

#include "recdb/littleEndian.h"
#include "recdb/localCalendar.h"

namespace {

// ---------------------------------------------------------------------------
// Randomness. Our own generator, so that an archive depends on the seed alone
// and not on the standard library's engines or distributions.

std::uint64_t mix64(std::uint64_t z)
{
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

class splitmix64 {
public:
    explicit splitmix64(std::uint64_t seed) : state(seed) {}
    std::uint64_t next()
    {
        state += 0x9e3779b97f4a7c15ULL;
        return mix64(state);
    }
    // Uniform enough in [0, n) for n far below 2^64.
    std::uint64_t below(std::uint64_t n) { return next() % n; }
    int range(int lo, int hi) { return lo + static_cast<int>(below(static_cast<std::uint64_t>(hi - lo + 1))); }
    bool percent(int p) { return below(100) < static_cast<std::uint64_t>(p); }

private:
    std::uint64_t state;
};

// Independent streams per (seed, channel, day), so a day's calls do not change
// when the number of days or channels does.
splitmix64 stream(std::uint64_t seed, std::uint64_t a, std::uint64_t b)
{
    return splitmix64(mix64(seed ^ mix64(a * 0x100000001b3ULL + 0x51ed27) ^ mix64(b + 0x2545f491)));
}

// ---------------------------------------------------------------------------
// Days are day numbers of the local calendar. Only dates are computed here;
// times of day are written as local wall-clock text, so no time zone or
// daylight-saving rule enters the generator.

bool parseIsoDate(const std::string& text, civilDate& out)
{
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return false;
    for (std::size_t i : {0u, 1u, 2u, 3u, 5u, 6u, 8u, 9u})
        if (text[i] < '0' || text[i] > '9')
            return false;
    out.year = std::stoi(text.substr(0, 4));
    out.month = std::stoi(text.substr(5, 2));
    out.day = std::stoi(text.substr(8, 2));
    return isValidDate(out.year, out.month, out.day);
}

// Timestamps of the reading side are 32-bit seconds since 1970: keep every day
// well inside that range.
const std::int64_t firstAllowedDay = dayNumberOf({1970, 1, 2});
const std::int64_t lastAllowedDay = dayNumberOf({2037, 12, 31});

// ---------------------------------------------------------------------------
// Names.

const char* const channelNames[] = {
    "Front desk", "Dispatch 1", "Sales",       "Support 2",   "Hotline",    "Dispatch 2",
    "Reception",  "Support 1",  "Billing & Accounts", "Emergency", "Night line", "Logistics",
    "Customer care", "Helpdesk", "Fleet radio", "Back office", "Claims",    "Service desk",
    "Switchboard", "Purchasing", "Control room", "Complaints", "Dispatch 3", "Orders",
};
const int channelNameCount = static_cast<int>(sizeof channelNames / sizeof channelNames[0]);

// Unique names; past the list the names come round again with a number.
std::vector<std::string> makeChannelNames(int count)
{
    std::vector<std::string> names;
    std::set<std::string> used;
    for (int i = 0; i < count; ++i) {
        std::string name = channelNames[i % channelNameCount];
        if (i >= channelNameCount) {
            int n = i / channelNameCount + 1;
            while (used.count(name + " " + std::to_string(n)))
                ++n;
            name += " " + std::to_string(n);
        }
        used.insert(name);
        names.push_back(name);
    }
    return names;
}

void appendDigits(std::string& out, splitmix64& rng, int count)
{
    for (int i = 0; i < count; ++i)
        out += static_cast<char>('0' + rng.below(10));
}

// Caller numbers as a logger's caller-ID gives them: internal extensions,
// national landline and mobile numbers, some from abroad.
std::string makePhoneNumber(splitmix64& rng)
{
    static const char* const areas[] = {"30", "40", "89", "221", "69", "711", "351", "511", "911", "6221"};
    static const char* const mobiles[] = {"151", "160", "171", "176", "157", "1523"};
    static const char* const countries[] = {"+4420", "+331", "+4312", "+4143", "+3120", "+1212"};
    std::string number;
    int kind = rng.range(0, 99);
    if (kind < 15) {
        number = std::to_string(rng.range(200, 499));
    } else if (kind < 60) {
        number = std::string("0") + areas[rng.below(10)];
        appendDigits(number, rng, 11 - static_cast<int>(number.size()) + rng.range(0, 1));
    } else if (kind < 90) {
        number = std::string("0") + mobiles[rng.below(6)];
        appendDigits(number, rng, 7 + rng.range(0, 1));
    } else {
        number = countries[rng.below(6)];
        appendDigits(number, rng, 7);
    }
    return number;
}

// ---------------------------------------------------------------------------
// A day of one channel.

struct call {
    int start = 0;     // seconds after local midnight
    int duration = 0;  // seconds
    std::string number;
    bool incoming = true;
};

struct channelProfile {
    int activityPercent = 100;
    std::vector<std::string> regulars;  // numbers that call again and again
};

channelProfile makeProfile(std::uint64_t seed, int channel)
{
    splitmix64 rng = stream(seed, static_cast<std::uint64_t>(channel), 0xc4a77e1ULL);
    channelProfile profile;
    profile.activityPercent = rng.range(60, 140);
    for (int i = 0; i < 40; ++i)
        profile.regulars.push_back(makePhoneNumber(rng));
    return profile;
}

// Mostly short calls, now and then a long one: 10 s to 20 min.
int callDuration(splitmix64& rng)
{
    int bucket = rng.range(0, 99);
    if (bucket < 45)
        return rng.range(10, 60);
    if (bucket < 75)
        return rng.range(61, 180);
    if (bucket < 90)
        return rng.range(181, 480);
    return rng.range(481, 1200);
}

const int hour = 3600;
// Nothing is recorded between 02:00 and 04:00: clocks change within that span,
// and a wall-clock time there may not exist or may exist twice.
const int quietFrom = 2 * hour;
const int quietTo = 4 * hour;
const int dayLength = 24 * hour;

int callCount(splitmix64& rng, const demoOptions& options, const channelProfile& profile, int dow)
{
    if (options.callsPerDay == 0 || rng.percent(4))  // line down, holiday
        return 0;
    // Weekday weights average to 100 over a week.
    static const int weekdayPercent[] = {25, 124, 124, 124, 124, 124, 56};
    std::uint64_t scaled = static_cast<std::uint64_t>(options.callsPerDay) *
                           static_cast<std::uint64_t>(profile.activityPercent) *
                           static_cast<std::uint64_t>(weekdayPercent[dow]) *
                           static_cast<std::uint64_t>(rng.range(60, 140));
    const std::uint64_t unit = 1000000;
    return static_cast<int>(scaled / unit + (rng.below(unit) < scaled % unit ? 1 : 0));
}

// Calls sorted by start, none overlapping, none past midnight and none in the
// quiet span. A congested day simply loses the calls that no longer fit.
std::vector<call> scheduleDay(splitmix64& rng, int count, const channelProfile& profile)
{
    std::vector<call> wanted(static_cast<std::size_t>(count));
    for (call& c : wanted) {
        int when = rng.range(0, 99);
        if (when < 88)
            c.start = rng.range(7 * hour, 20 * hour - 1);
        else if (when < 96)
            c.start = rng.range(20 * hour, dayLength - 1);
        else if (when < 98)
            c.start = rng.range(0, quietFrom - 1);
        else
            c.start = rng.range(quietTo, 7 * hour - 1);
        c.duration = callDuration(rng);
        c.incoming = rng.percent(75);
        if (rng.percent(3))
            c.number.clear();  // withheld
        else if (rng.percent(55))
            c.number = profile.regulars[rng.below(profile.regulars.size())];
        else
            c.number = makePhoneNumber(rng);
    }
    std::stable_sort(wanted.begin(), wanted.end(),
                     [](const call& a, const call& b) { return a.start < b.start; });

    std::vector<call> kept;
    int busyUntil = 0;
    for (call& c : wanted) {
        if (c.start < busyUntil)
            c.start = busyUntil + rng.range(1, 20);
        if (c.start < quietFrom && c.start + c.duration > quietFrom)
            c.start = quietTo;
        if (c.start >= quietFrom && c.start < quietTo)
            c.start = quietTo;
        if (c.start + c.duration > dayLength)
            continue;
        busyUntil = c.start + c.duration;
        kept.push_back(std::move(c));
    }
    return kept;
}

// ---------------------------------------------------------------------------
// Output.

void appendEscaped(std::string& out, const std::string& text)
{
    for (char ch : text) {
        switch (ch) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        default: out += ch;
        }
    }
}

std::string twoDigits(int v)
{
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%02d", v);
    return buffer;
}

std::string dayFolderName(const civilDate& d)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%04d%02d%02d", static_cast<int>(d.year), d.month, d.day);
    return buffer;
}

std::string clockText(int seconds)
{
    return twoDigits(seconds / hour) + twoDigits(seconds / 60 % 60) + twoDigits(seconds % 60);
}

class archiveWriter {
public:
    explicit archiveWriter(std::string* error_) : error(error_) {}

    bool makeDir(const std::string& path)
    {
        wxString name = wxString::FromUTF8(path);
        if (wxFileName::DirExists(name) || wxFileName::Mkdir(name, wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL))
            return true;
        return fail("cannot create folder " + path);
    }

    bool writeFile(const std::string& path, const char* data, std::size_t size)
    {
        FILE* file = wxFopen(wxString::FromUTF8(path), wxT("wb"));
        if (!file)
            return fail("cannot create " + path);
        bool ok = std::fwrite(data, 1, size, file) == size;
        ok = std::fclose(file) == 0 && ok;
        if (!ok)
            return fail("cannot write " + path);
        bytes += size;
        return true;
    }
    bool writeFile(const std::string& path, const std::string& text)
    {
        return writeFile(path, text.data(), text.size());
    }

    std::uint64_t bytes = 0;

private:
    bool fail(const std::string& message)
    {
        if (error)
            *error = message;
        return false;
    }
    std::string* error;
};

// A playable stand-in: 8-bit mono PCM (one byte per sample, as the catalog's
// data sizes assume) with a soft tone, cut to exactly the requested size.
std::vector<char> makeAudio(std::uint64_t size, std::uint32_t sampleRate)
{
    std::vector<char> audio(static_cast<std::size_t>(size));
    for (std::size_t i = 0; i < audio.size(); ++i) {
        int phase = static_cast<int>(i % 40);
        int level = phase < 20 ? phase : 40 - phase;  // triangle, about 200 Hz at 8 kHz
        audio[i] = static_cast<char>(128 - 10 + level);
    }
    if (size < 44)
        return audio;
    const std::uint32_t clipped = size > 0xffffffffULL ? 0xffffffffU : static_cast<std::uint32_t>(size);
    std::string header = "RIFF";
    putLittleEndian(header, clipped - 8, 4);
    header += "WAVEfmt ";
    putLittleEndian(header, 16, 4);
    putLittleEndian(header, 1, 2);          // PCM
    putLittleEndian(header, 1, 2);          // mono
    putLittleEndian(header, sampleRate, 4);
    putLittleEndian(header, sampleRate, 4); // bytes per second
    putLittleEndian(header, 1, 2);          // block align
    putLittleEndian(header, 8, 2);          // bits per sample
    header += "data";
    putLittleEndian(header, clipped - 44, 4);
    std::copy(header.begin(), header.end(), audio.begin());
    return audio;
}

std::string makeLoggerIni(const std::vector<std::string>& names, const std::vector<std::string>& storageKeys,
                          const std::vector<std::string>& storageRoots)
{
    const char* eol = "\r\n";  // written as the Windows logger writes it
    std::string ini;
    ini += "[general]";
    ini += eol;
    ini += "Lines=" + std::to_string(names.size()) + eol;
    ini += "Version=4.2";
    ini += eol;
    ini += eol;
    ini += "[storage paths]";
    ini += eol;
    for (std::size_t i = 0; i < storageKeys.size(); ++i)
        ini += storageKeys[i] + "=" + storageRoots[i] + eol;
    for (std::size_t i = 0; i < names.size(); ++i) {
        char section[32];
        std::snprintf(section, sizeof section, "[line%02d]", static_cast<int>(i + 1));
        ini += eol;
        ini += section;
        ini += eol;
        ini += "StoragePath=" + storageKeys[i % storageKeys.size()] + eol;
        ini += "ChannelName=" + names[i] + eol;
        ini += "Enabled=1";
        ini += eol;
    }
    return ini;
}

}  // namespace

bool validateDemoOptions(const demoOptions& o, std::string* error)
{
    auto fail = [&](const std::string& message) {
        if (error)
            *error = message;
        return false;
    };
    if (o.outDir.empty())
        return fail("--out is required");
    if (o.channels < 1 || o.channels > 999)
        return fail("--channels must be between 1 and 999");
    if (o.days < 1 || o.days > 36500)
        return fail("--days must be between 1 and 36500");
    if (o.callsPerDay < 0 || o.callsPerDay > 1000)
        return fail("--calls must be between 0 and 1000");
    if (o.audioBytes > (1ULL << 30))
        return fail("--audio-bytes must be at most 1073741824");
    if (o.storages != 1 && o.storages != 2)
        return fail("--storages must be 1 or 2");
    if (o.sampleRate < 1 || o.sampleRate > 384000)
        return fail("--sample-rate must be between 1 and 384000");
    civilDate end = localToday();
    if (!o.endDate.empty() && !parseIsoDate(o.endDate, end))
        return fail("--end-date must be a date written YYYY-MM-DD: " + o.endDate);
    const std::int64_t last = dayNumberOf(end);
    if (last > lastAllowedDay || last - (o.days - 1) < firstAllowedDay)
        return fail("the archive must lie between 1970-01-02 and 2037-12-31");
    return true;
}

std::optional<demoStats> generateDemoArchive(const demoOptions& options, std::string* error)
{
    if (!validateDemoOptions(options, error))
        return std::nullopt;

    wxFileName outName = wxFileName::DirName(wxString::FromUTF8(options.outDir));
    outName.MakeAbsolute();
    const wxString outPath = outName.GetPath();
    // Writing into an old archive would mix its days with ours.
    if (wxDir::Exists(outPath)) {
        wxDir dir(outPath);
        if (!dir.IsOpened() || dir.HasFiles() || dir.HasSubDirs()) {
            if (error)
                *error = "output folder is not empty: " + outPath.utf8_string();
            return std::nullopt;
        }
    }

    const std::string sep(1, static_cast<char>(wxFILE_SEP_PATH));
    const std::string root = outPath.utf8_string();
    std::vector<std::string> storageKeys = {"main", "archive"};
    storageKeys.resize(static_cast<std::size_t>(options.storages));
    std::vector<std::string> storageRoots;
    for (int s = 1; s <= options.storages; ++s)
        storageRoots.push_back(root + sep + "storage" + std::to_string(s));
    const std::vector<std::string> names = makeChannelNames(options.channels);

    archiveWriter writer(error);
    if (!writer.makeDir(root) ||
        !writer.writeFile(root + sep + "logger.ini", makeLoggerIni(names, storageKeys, storageRoots)))
        return std::nullopt;

    civilDate end = localToday();
    if (!options.endDate.empty())
        parseIsoDate(options.endDate, end);
    const std::int64_t lastDay = dayNumberOf(end);
    const std::int64_t firstDay = lastDay - (options.days - 1);
    const std::vector<char> audio = makeAudio(options.audioBytes, options.sampleRate);
    const std::string rate = std::to_string(options.sampleRate);

    demoStats stats;
    stats.channels = options.channels;
    stats.days = options.days;
    std::string catalog;
    for (int ch = 0; ch < options.channels; ++ch) {
        const channelProfile profile = makeProfile(options.seed, ch);
        const std::string channelDir = storageRoots[static_cast<std::size_t>(ch) % storageRoots.size()] + sep +
                                       names[static_cast<std::size_t>(ch)];
        const std::string line = std::to_string(ch + 1);
        for (std::int64_t dayNumber = firstDay; dayNumber <= lastDay; ++dayNumber) {
            splitmix64 rng = stream(options.seed, static_cast<std::uint64_t>(ch),
                                    static_cast<std::uint64_t>(dayNumber));
            const civilDate date = dateOfDayNumber(dayNumber);
            const std::string dateText = dayFolderName(date);
            const std::string dayDir = channelDir + sep + dateText;
            if (!writer.makeDir(dayDir))
                return std::nullopt;

            const std::vector<call> calls =
                scheduleDay(rng, callCount(rng, options, profile, weekdayOf(dayNumber)), profile);
            catalog.clear();
            catalog += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<vmk_catalog>\n";
            int index = 0;
            for (const call& c : calls) {
                const std::string time = clockText(c.start);
                const std::string audioPath = dayDir + sep + time + "_" + std::to_string(++index) + ".wav";
                const std::uint64_t dataSize = static_cast<std::uint64_t>(c.duration) * options.sampleRate;
                catalog += "  <file>\n    <hdr>\n      <au_hdr>\n        <data_size>";
                catalog += std::to_string(dataSize);
                catalog += "</data_size>\n        <sample_rate>";
                catalog += rate;
                catalog += "</sample_rate>\n        <channels>1</channels>\n      </au_hdr>\n"
                           "      <vmk_hdr>\n        <date>";
                catalog += dateText;
                catalog += "</date>\n        <time>";
                catalog += time;
                catalog += "</time>\n        <line>";
                catalog += line;
                catalog += "</line>\n        <direction>";
                catalog += c.incoming ? "in" : "out";
                catalog += "</direction>\n        <number>";
                catalog += c.number;
                catalog += "</number>\n        <file_name>";
                appendEscaped(catalog, audioPath);
                catalog += "</file_name>\n      </vmk_hdr>\n    </hdr>\n  </file>\n";
                if (!audio.empty()) {
                    if (!writer.writeFile(audioPath, audio.data(), audio.size()))
                        return std::nullopt;
                    ++stats.audioFiles;
                }
            }
            catalog += "</vmk_catalog>\n";
            if (!writer.writeFile(dayDir + sep + "catalog.xml", catalog))
                return std::nullopt;
            ++stats.catalogs;
            stats.calls += calls.size();
        }
    }
    stats.bytes = writer.bytes;
    return stats;
}

// ---------------------------------------------------------------------------
// Command line.

namespace {

bool parseUnsigned(const std::string& text, std::uint64_t max, std::uint64_t& out)
{
    if (text.empty() || text.size() > 20)
        return false;
    std::uint64_t value = 0;
    for (char ch : text) {
        if (ch < '0' || ch > '9')
            return false;
        std::uint64_t digit = static_cast<std::uint64_t>(ch - '0');
        if (value > (max - digit) / 10)
            return false;
        value = value * 10 + digit;
    }
    out = value;
    return true;
}

}  // namespace

std::string demoUsage()
{
    return "Usage: orvista-demo --out DIR [options]\n"
           "Writes a demo recording archive: DIR/logger.ini and DIR/storage1, DIR/storage2.\n"
           "  --out DIR           output folder (must be new or empty)\n"
           "  --seed N            random seed (default 1)\n"
           "  --channels N        number of lines (default 6)\n"
           "  --days N            number of days (default 14)\n"
           "  --calls N           average calls per day and line (default 20)\n"
           "  --audio-bytes N     size of each audio file; 0 writes catalogs only (default 2048)\n"
           "  --end-date Y-M-D    last day, YYYY-MM-DD (default today)\n"
           "  --storages 1|2      number of storage roots (default 2)\n"
           "  --sample-rate N     samples per second (default 8000)\n"
           "  --help              show this text\n";
}

demoCommand parseDemoArguments(const std::vector<std::string>& args, demoOptions& options, std::string* error)
{
    auto fail = [&](const std::string& message) {
        if (error)
            *error = message;
        return demoCommand::error;
    };
    demoOptions parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        if (name == "--help" || name == "-h")
            return demoCommand::help;
        if (name.compare(0, 2, "--") != 0)
            return fail("unexpected argument '" + name + "'");
        std::string value;
        std::size_t eq = name.find('=');
        if (eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
        } else if (i + 1 < args.size() && args[i + 1].compare(0, 2, "--") != 0) {
            value = args[++i];
        } else {
            return fail("missing value for " + name);
        }

        std::uint64_t number = 0;
        auto numeric = [&](std::uint64_t max) {
            if (parseUnsigned(value, max, number))
                return true;
            fail("bad value for " + name + ": '" + value + "'");
            return false;
        };
        if (name == "--out") {
            if (value.empty())
                return fail("--out needs a folder");
            parsed.outDir = value;
        } else if (name == "--end-date") {
            parsed.endDate = value;
        } else if (name == "--seed") {
            if (!numeric(UINT64_MAX))
                return demoCommand::error;
            parsed.seed = number;
        } else if (name == "--audio-bytes") {
            if (!numeric(UINT64_MAX))
                return demoCommand::error;
            parsed.audioBytes = number;
        } else if (name == "--channels" || name == "--days" || name == "--calls" || name == "--storages" ||
                   name == "--sample-rate") {
            if (!numeric(0x7fffffff))
                return demoCommand::error;
            int v = static_cast<int>(number);
            if (name == "--channels")
                parsed.channels = v;
            else if (name == "--days")
                parsed.days = v;
            else if (name == "--calls")
                parsed.callsPerDay = v;
            else if (name == "--storages")
                parsed.storages = v;
            else
                parsed.sampleRate = static_cast<std::uint32_t>(v);
        } else {
            return fail("unknown option " + name);
        }
    }
    if (!validateDemoOptions(parsed, error))
        return demoCommand::error;
    options = parsed;
    return demoCommand::run;
}
