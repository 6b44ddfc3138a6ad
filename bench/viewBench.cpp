// The main window on a real archive, as the user meets it: how long from the
// frame's construction (which scans the lines) until the view is idle, that is
// shown with every row painted and no day still hatched, and how long the event
// loop stalls on the way. A 5 ms timer runs from before the construction; the
// gaps between its events are the stalls. The construction counts too: what
// it does between its yields to the loop (a long scan yields now and then) is
// a stall like any other.
//
//   viewBench START LOGGER_INI CACHE_DIR
//     one start with the view on the archive's whole extent (first catalog day
//     to the last). Prints
//       view idle after X.XXX s; longest stall YY ms; stalls over 100 ms: N
//   viewBench HOUR LOGGER_INI CACHE_DIR
//     the same with the view on one hour, noon to 13:00 of the archive's last
//     day (the business hours of a demo archive, so it holds calls), for the
//     time and memory of a small view against the whole extent's.
//   viewBench ZOOM LOGGER_INI CACHE_DIR
//     starts on the archive's last day, waits until idle, then zooms out step by
//     step until the whole extent is shown, waiting until idle after each step.
//     The figures are of the zooming (from the first step); the start-up's are
//     given in brackets.
//   viewBench FIND LOGGER_INI CACHE_DIR QUERY
//     starts on the archive's last day, waits until idle, then opens the find
//     panel and searches QUERY in the whole archive on all lines, as a user
//     would who looks back over years never shown in this run: the search
//     reads the catalogs itself. Prints
//       find "QUERY" in the whole archive, N lines: first hit after X.XXX s;
//       finished after Y.YYY s; H calls; longest stall ZZ ms; stalls over 100 ms: S
//     (one line), timed from the start of the search; the start-up's figures
//     go to the break-down.
//   viewBench LIVE LOGGER_INI CACHE_DIR
//     for an archive whose last day is today (orvista-demo's default): starts
//     on the last two hours, waits until idle, then appends a call of a minute
//     to today's catalog of the first line, where its row is dark, as the
//     logger does, and waits until the row shows it (the program looks for
//     new calls every few seconds by itself). Prints
//       live: a call appended to today's catalog was on screen after X.XXX s
//
// Every mode also prints the process's memory when idle (at each idle it
// reports), on Linux only:
//       memory when idle: VmRSS X.X MB, VmHWM Y.Y MB
// with, in START and HOUR, what stays resident once the heap has handed back
// what is free (the loader's workers leave arenas of freed memory behind).
//
// The catalog index is kept in CACHE_DIR/orvista (where XDG_CACHE_HOME=CACHE_DIR
// puts the program's own) and used as the program uses it: an empty folder
// gives a first start, a filled one a second start. One start per process: a
// second frame in the same process would find the file system and the
// allocator warm in ways a real second start does not.
// A break-down of the phases goes to stderr.
//
// Run under Xvfb with the time zone and locale of the tests, e.g. (one line)
//   TZ=Europe/Berlin LC_ALL=C xvfb-run -a -s "-screen 0 1600x1200x24"
//     build/bench/viewBench START archive/logger.ini /tmp/vb-cache
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include <wx/app.h>
#include <wx/bitmap.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/dcmemory.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/image.h>
#include <wx/init.h>
#include <wx/listctrl.h>
#include <wx/log.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>
#include <wx/textctrl.h>
#include <wx/timer.h>

#include "app/configError.h"
#include "app/findPanel.h"
#include "app/orvistaFrame.h"
#include "bench/benchSupport.h"
#include "display/vSingleTimeline.h"
#include "display/vTimeline.h"
#include "platform/narrow.h"
#include "recdb/callMatch.h"
#include "recdb/catalog.h"
#include "recdb/dynamicTimeline.h"
#include "recdb/localCalendar.h"
#include "recdb/timeValue.h"

namespace {
typedef std::chrono::steady_clock benchClock;

double secondsBetween(benchClock::time_point from, benchClock::time_point to)
{
    return std::chrono::duration<double>(to - from).count();
}

enum class benchMode { start, hour, zoom, find, live };

struct benchOptions {
    benchMode mode = benchMode::start;
    std::string loggerIni;
    std::string indexFolder; // the catalog index's
    std::string query;       // FIND's
    // A start that is not idle by then has hung (a row never painted, a day
    // never read): it is reported as a failure instead of waiting forever.
    double timeoutSeconds = 600;
} options;

int exitCode = 0;
// The installation made for the run; removed when the run is over.
wxString scratch;

// What the scheduler says of the calling thread: the time it ran and the time
// it was ready but waited for a processor (Linux; zero elsewhere).
struct schedulerTimes {
    double running = 0;
    double waiting = 0;
};

schedulerTimes threadScheduling()
{
    schedulerTimes times;
    if (FILE* file = std::fopen("/proc/thread-self/schedstat", "r")) {
        unsigned long long running = 0, waiting = 0;
        if (std::fscanf(file, "%llu %llu", &running, &waiting) == 2)
            times = schedulerTimes{running * 1e-9, waiting * 1e-9};
        std::fclose(file);
    }
    return times;
}

// Gaps between consecutive timer events.
struct gap {
    gap(benchClock::time_point start_, benchClock::time_point end_) : start(start_), end(end_) {}

    benchClock::time_point start;
    benchClock::time_point end;
    double seconds() const { return secondsBetween(start, end); }
    // FIND: how the main thread spent the gap.
    schedulerTimes spent;
};

struct stallFigures {
    double longest = 0;
    int overLimit = 0;
    int count = 0;
};

// The longest gap and the number over 100 ms among those that began in
// [from, to). A stall belongs to the phase that caused it: the one it began in.
stallFigures stallsIn(const std::vector<gap>& gaps, benchClock::time_point from, benchClock::time_point to)
{
    stallFigures figures;
    for (const gap& g : gaps) {
        if (g.start < from || g.start >= to)
            continue;
        figures.longest = std::max(figures.longest, g.seconds());
        if (g.seconds() > 0.100)
            ++figures.overLimit;
        ++figures.count;
    }
    return figures;
}

// A dialog would wait for a user nobody is: it is reported and cancelled, so a
// broken setup fails instead of hanging.
class cancellingHook : public wxModalDialogHook {
protected:
    int Enter(wxDialog* dialog) override
    {
        wxString text = dialog->GetTitle();
        if (auto* message = dynamic_cast<wxMessageDialog*>(dialog))
            text = message->GetMessage();
        std::fprintf(stderr, "viewBench: a dialog was cancelled: %s\n", text.utf8_str().data());
        exitCode = 1;
        return wxID_CANCEL;
    }
    void Exit(wxDialog*) override {}
};

// An instant as the local clock shows it, "2026-11-30 12:00:00".
std::string localText(double t)
{
    const localDateTime when = localDateTimeAt(static_cast<std::int64_t>(t));
    char text[48];
    std::snprintf(text, sizeof text, "%04lld-%02d-%02d %02d:%02d:%02d", static_cast<long long>(when.date.year),
                  when.date.month, when.date.day, when.hour, when.minute, when.second);
    return text;
}

// One line on stdout with what statusMemory gives; nothing where it gives nothing.
void printMemory(const char* when)
{
    const std::string memory = statusMemory();
    if (!memory.empty())
        std::printf("%s: %s\n", when, memory.c_str());
}

std::string xmlEscaped(const std::string& text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

// The processor time of the calling thread so far: what the main thread spends,
// waiting left out.
double processorSeconds(clockid_t clock)
{
    timespec t;
    clock_gettime(clock, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double threadSeconds()
{
    return processorSeconds(CLOCK_THREAD_CPUTIME_ID);
}

// Where the main thread's time goes while the find panel searches: the
// processor time from one event's dispatch to the next event or tick of the
// stall timer is charged to that event, so a handler's own work lands on its
// event (with whatever the toolkit does after it). What begins at a tick is
// the loop's own: toolkit work that sends no event. Waiting costs nothing.
class eventTimes : public wxEventFilter {
public:
    enum kind { findUpdate, rowPaint, listPaint, other, loop, kinds };

    struct total {
        double seconds = 0;
        double longest = 0;
        int count = 0;
    };

    eventTimes(const wxWindow* finder_, const wxWindow* list_, std::vector<vSingleTimeline*> rows_)
        : finder(finder_), list(list_), rows(std::move(rows_)), last(threadSeconds())
    {
    }

    int FilterEvent(wxEvent& event) override
    {
        charge();
        const wxObject* object = event.GetEventObject();
        if (event.GetEventType() == wxEVT_TIMER && object == finder) {
            current = findUpdate;
        } else if (event.GetEventType() == wxEVT_PAINT && object == list) {
            current = listPaint;
        } else if (event.GetEventType() == wxEVT_PAINT &&
                   std::find(rows.begin(), rows.end(), object) != rows.end()) {
            current = rowPaint;
        } else {
            current = other;
            currentClass = object ? event.GetClassInfo()->GetClassName() : wxT("?");
        }
        return Event_Skip;
    }

    // A tick of the stall timer: the loop is free again.
    void tick()
    {
        charge();
        current = loop;
    }

    const total& of(kind k) const { return totals[k]; }
    // The kind of event of the longest stretch charged to other events.
    wxString longestOther() const { return longestOtherClass; }

    // The find panel's updates, the processor time of each.
    const std::vector<double>& updateSeconds() const { return updates; }

private:
    void charge()
    {
        const double now = threadSeconds();
        const double seconds = now - last;
        total& t = totals[current];
        t.seconds += seconds;
        if (seconds > t.longest && current == other)
            longestOtherClass = currentClass;
        t.longest = std::max(t.longest, seconds);
        ++t.count;
        if (current == findUpdate)
            updates.push_back(seconds);
        last = now;
    }

    const wxWindow* finder;
    const wxWindow* list;
    const std::vector<vSingleTimeline*> rows;
    double last;
    kind current = loop;
    wxString currentClass;
    wxString longestOtherClass;
    total totals[kinds];
    std::vector<double> updates;
};

class benchApp;

class stallTimer : public wxTimer {
public:
    explicit stallTimer(benchApp* app_) : app(app_) {}
    void Notify() override;

private:
    benchApp* app;
};

class benchApp : public wxApp {
public:
    bool OnInit() override;
    void tick();

private:
    enum class phase { constructing, waiting, searching, live, done };

    bool makeInstallation();
    // Sets view and selection as one change of the panel's model, as the
    // panel's own zoom does.
    void setView(double viewBegin, double viewEnd, double selectionBegin, double selectionEnd);
    // From now on the rows count as painted only by a paint that comes later.
    void markPaints();
    bool isIdle(std::string& why) const;
    bool allDaysRead() const;
    // Over all lines, the days of the view whose calls are not read, and how
    // many of those have their summary.
    struct viewDays {
        std::size_t all = 0; // of the lines that are folders of catalogs
        std::size_t unread = 0;
        std::size_t summarisedOnly = 0;
    };
    viewDays daysInView() const;
    void check();
    void reachedIdle(benchClock::time_point now);
    // FIND: opens the find panel on the whole archive and starts the search.
    void startSearch();
    void checkSearch(benchClock::time_point now);
    void searchDone(benchClock::time_point now);
    // For the break-down: what matching every call of the range costs on this
    // thread, now that all is read, against walking them without matching.
    void reportMatchCost();
    void finish();
    // For the break-down, after the figures: what one paint of every row costs
    // now that all is read (drawn into a bitmap, so without the X server).
    void reportPaintCost();
    void onIdle(wxIdleEvent& event);
    // LIVE: appends a call where the first row is dark, then waits for it.
    void appendCall();
    void checkLive(benchClock::time_point now);
    bool firstRowLitAt(double t);
    double liveCall = 0; // its start, on the time axis
    benchClock::time_point liveWritten, liveChecked;

    stallTimer timer{this};
    phase state = phase::constructing;
    orvistaFrame* frame = nullptr;
    wxString programDirectory;
    wxString settingsDirectory;

    benchClock::time_point started;
    benchClock::time_point constructed;
    benchClock::time_point lastTick;
    benchClock::time_point startupIdle; // ZOOM: the start-up's idle; the zooming begins
    benchClock::time_point stepStarted;
    std::vector<gap> gaps;

    std::vector<vSingleTimeline*> rows;
    std::vector<long> paints;
    std::vector<long> paintsAtMark;
    double extentBegin = 0;
    double extentEnd = 0;
    int zoomSteps = 0;
    bool startupDone = false;
    // Start-up milestones for the break-down.
    benchClock::time_point firstRowPaint;
    benchClock::time_point daysRead;
    benchClock::time_point lastReadCheck;
    bool rowPainted = false;
    bool readSeen = false;
    // FIND.
    benchClock::time_point searchStarted;
    benchClock::time_point firstHit;
    double searchProcessor = 0; // of all threads, at the start
    double searchMainThread = 0;
    schedulerTimes lastScheduled; // at the last tick
    bool hitSeen = false;
    std::unique_ptr<eventTimes> times;
};

void stallTimer::Notify()
{
    app->tick();
}

bool benchApp::makeInstallation()
{
    // The layout of an installation: the schema next to the program, the
    // settings in a folder of their own. WINDIR names an empty folder so that
    // no default "logger.ini" can be found instead of the one given.
    const wxString unique = wxFileName::CreateTempFileName(wxFileName::GetTempDir() + "/viewBench-");
    if (unique.empty() || !wxRemoveFile(unique) || !wxFileName::Mkdir(unique)) {
        std::fprintf(stderr, "viewBench: cannot make a scratch folder in %s\n",
                     wxFileName::GetTempDir().utf8_str().data());
        return false;
    }
    scratch = unique;
    programDirectory = scratch + "/program";
    settingsDirectory = scratch + "/settings";
    const wxString windowsDirectory = scratch + "/windows";
    for (const wxString& folder : {programDirectory, settingsDirectory, windowsDirectory})
        wxFileName::Mkdir(folder);
    wxSetEnv("WINDIR", windowsDirectory);
    if (!wxCopyFile(ORVISTA_SOURCE_DIR "/resources/settings/orv-config-schema.xml",
                    programDirectory + "/orv-config-schema.xml")) {
        std::fprintf(stderr, "viewBench: cannot copy the settings schema\n");
        return false;
    }

    // The view written here is only a placeholder: no row is painted before the
    // frame is shown, and by then the view is the one measured (see OnInit).
    // The window is as large as a user's typically is, every row in sight.
    const std::string settings =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<orvista>\n <paths logger-ini=\"" +
        xmlEscaped(options.loggerIni) +
        "\"/>\n <startup kind=\"last-view\" last-view-begin=\"2000-01-01 00:00:00\" "
        "last-view-end=\"2000-01-01 00:00:01\" last-selection-begin=\"2000-01-01 00:00:00\" "
        "last-selection-end=\"2000-01-01 00:00:01\" window-x0=\"0\" window-y0=\"0\" window-dx=\"1400\" "
        "window-dy=\"900\" window-maximized=\"false\"/>\n</orvista>\n";
    FILE* file = std::fopen((settingsDirectory + "/orv.xml").utf8_str().data(), "wb");
    if (!file || std::fwrite(settings.data(), 1, settings.size(), file) != settings.size()) {
        std::fprintf(stderr, "viewBench: cannot write the settings file\n");
        if (file)
            std::fclose(file);
        return false;
    }
    std::fclose(file);
    return true;
}

bool benchApp::OnInit()
{
    // Catalog trouble is logged; a log window would stop the run.
    delete wxLog::SetActiveTarget(new wxLogStderr);
    wxInitAllImageHandlers();
    if (!makeInstallation()) {
        exitCode = 1;
        return false;
    }

    started = lastTick = benchClock::now();
    timer.Start(5);
    try {
        frame = new orvistaFrame(programFiles(programDirectory, settingsDirectory, fromNarrow(options.indexFolder)));
    } catch (const configError&) {
        std::fprintf(stderr, "viewBench: the frame's start-up stopped (is %s a logger.ini?)\n",
                     options.loggerIni.c_str());
        exitCode = 1;
        timer.Stop();
        return false;
    }
    constructed = benchClock::now();

    vTimeline* panel = frame->panel();
    extentBegin = panel->getExtentBegin();
    extentEnd = panel->getExtentEnd();
    if (panel->lineCount() == 0 || frame->session().lineTimelines().empty() || extentEnd <= extentBegin + 1) {
        std::fprintf(stderr, "viewBench: the archive has no lines or no catalogs\n");
        exitCode = 1;
        timer.Stop();
        frame->Destroy();
        return true; // the loop deletes the frame and ends
    }
    for (size_t i = 0; i < panel->lineCount(); ++i) {
        vSingleTimeline* row = panel->lineRow(i);
        rows.push_back(row);
        paints.push_back(0);
        // Bound after the row's own handler, so called before it; the paint
        // it counts has finished by the time the count is looked at.
        row->Bind(wxEVT_PAINT, [this, i](wxPaintEvent& event) {
            ++paints[i];
            if (!rowPainted && state == phase::waiting) {
                rowPainted = true;
                firstRowPaint = benchClock::now();
            }
            event.Skip();
        });
    }

    if (options.mode == benchMode::start) {
        // The whole extent in view; a month at its end selected, as after a
        // typical session (the selection only changes colours).
        const double month = toSeconds(fromSeconds(extentEnd) - wxDateSpan::Month());
        setView(extentBegin, extentEnd, std::max(month, extentBegin), extentEnd);
    } else if (options.mode == benchMode::hour) {
        // Noon to 13:00 on the local clock of the last day, whatever its length.
        localDateTime noon = localDateTimeAt(static_cast<std::int64_t>(extentEnd) - 1);
        noon.hour = 12;
        noon.minute = noon.second = 0;
        localDateTime one = noon;
        one.hour = 13;
        const double from = static_cast<double>(instantOfLocal(noon));
        const double to = static_cast<double>(instantOfLocal(one));
        setView(from, to, from, to);
    } else if (options.mode == benchMode::live) {
        const double now = static_cast<double>(std::time(nullptr));
        setView(now - 7200, now + 600, now - 7200, now + 600);
    } else {
        // ZOOM and FIND: the last day, as a user finds it who looks at today.
        const double day = toSeconds(fromSeconds(extentEnd) - wxDateSpan::Day());
        setView(day, extentEnd, day, extentEnd);
    }
    markPaints();

    Bind(wxEVT_IDLE, &benchApp::onIdle, this);
    frame->Show(true);
    SetTopWindow(frame);
    state = phase::waiting;
    stepStarted = benchClock::now();
    return true;
}

void benchApp::setView(double viewBegin, double viewEnd, double selectionBegin, double selectionEnd)
{
    frame->panel()->model().change([&](vTimelineDisplayState& s) {
        s = vTimelineDisplayState{selectionBegin, selectionEnd, viewBegin, viewEnd};
    });
}

void benchApp::markPaints()
{
    paintsAtMark = paints;
}

bool benchApp::isIdle(std::string& why) const
{
    if (!frame->IsShownOnScreen()) {
        why = "the frame is not shown";
        return false;
    }
    // A row is done when it was painted after the view was set and that paint
    // found no day of the view still being read.
    for (size_t i = 0; i < rows.size(); ++i) {
        if (paints[i] == paintsAtMark[i]) {
            why = "row " + std::to_string(i) + " was not painted yet";
            return false;
        }
        if (rows[i]->isWaiting()) {
            why = "row " + std::to_string(i) + " still waits for days";
            return false;
        }
    }
    // Implied by the rows when they work as meant; checked all the same, so
    // that idle never hides days still queued on the loader.
    if (!allDaysRead()) {
        why = "days of the view are neither read nor summarised";
        return false;
    }
    return true;
}

// A long view draws its days from their summaries and never reads their
// calls: a day is done when either is there (a row that needs the calls of a
// summarised day waits for them, and isIdle sees that).
bool benchApp::allDaysRead() const
{
    const viewDays days = daysInView();
    return days.summarisedOnly == days.unread;
}

benchApp::viewDays benchApp::daysInView() const
{
    const vTimelineDisplayState* view = frame->panel()->displayState();
    viewDays days;
    std::vector<catalogEntry*> unread;
    for (const auto& line : frame->session().lineTimelines()) {
        unread.clear();
        line->unreadEntries(view->viewBegin, view->viewEnd, unread);
        days.unread += unread.size();
        if (const auto* folders = dynamic_cast<const dynamicTimeline*>(line.get()))
            for (const catalogEntry& entry : folders->catalogEntries())
                days.all += view->viewEnd > entry.start && view->viewBegin < entry.end ? 1 : 0;
        for (const catalogEntry* entry : unread)
            days.summarisedOnly += entry->hasSummary() ? 1 : 0;
    }
    return days;
}

void benchApp::tick()
{
    const benchClock::time_point now = benchClock::now();
    gaps.push_back(gap{lastTick, now});
    lastTick = now;
    if (times) {
        times->tick();
        const schedulerTimes scheduled = threadScheduling();
        gaps.back().spent = schedulerTimes{scheduled.running - lastScheduled.running,
                                           scheduled.waiting - lastScheduled.waiting};
        lastScheduled = scheduled;
    }
    check();
}

void benchApp::onIdle(wxIdleEvent& event)
{
    event.Skip();
    check();
}

void benchApp::check()
{
    if (state == phase::searching) {
        checkSearch(benchClock::now());
        return;
    }
    if (state == phase::live) {
        checkLive(benchClock::now());
        return;
    }
    if (state != phase::waiting)
        return;
    const benchClock::time_point now = benchClock::now();
    // Counting the days of a long view walks every catalog of every line:
    // done at every 5 ms tick, the bench itself would take a core from the
    // window it measures. Ten times a second is enough for the break-down.
    if (!readSeen && secondsBetween(lastReadCheck, now) >= 0.1) {
        lastReadCheck = now;
        if (allDaysRead()) {
            readSeen = true;
            daysRead = now;
        }
    }
    std::string why;
    if (isIdle(why)) {
        reachedIdle(now);
        return;
    }
    if (secondsBetween(started, now) > options.timeoutSeconds) {
        std::fprintf(stderr, "viewBench: not idle after %.0f s: %s\n", options.timeoutSeconds, why.c_str());
        exitCode = 1;
        finish();
    }
}

void benchApp::reachedIdle(benchClock::time_point now)
{
    // A stall still going on when idle is seen (the paint that made the view
    // idle) counts as a gap up to now.
    gaps.push_back(gap{lastTick, now});
    lastTick = now;

    if (!startupDone) {
        startupDone = true;
        startupIdle = now;
        if (!readSeen) {
            readSeen = true;
            daysRead = now;
        }
        const stallFigures all = stallsIn(gaps, started, now);
        const stallFigures construction = stallsIn(gaps, started, constructed);
        const stallFigures shown = stallsIn(gaps, constructed, now);
        // The timer events inside the construction are its yields to the loop.
        const vTimelineDisplayState* view = frame->panel()->displayState();
        std::fprintf(stderr,
                     "viewBench: %zu rows, %.1f days in view (%s to %s); construction (settings, scan, widgets) "
                     "%.3f s, %d timer events during it, longest stall begun in it %.0f ms; then until idle %.3f s, "
                     "longest stall %.0f ms, over 100 ms: %d, %d timer events; first row paint at %.3f s, "
                     "all days read or summarised (seen) at %.3f s\n",
                     rows.size(), (view->viewEnd - view->viewBegin) / 86400, localText(view->viewBegin).c_str(),
                     localText(view->viewEnd).c_str(), secondsBetween(started, constructed),
                     construction.count - 1, construction.longest * 1e3, secondsBetween(constructed, now),
                     shown.longest * 1e3, shown.overLimit, shown.count, secondsBetween(started, firstRowPaint),
                     secondsBetween(started, daysRead));
        const viewDays days = daysInView();
        std::fprintf(stderr, "viewBench: days of the view over all lines: %zu, calls read of %zu, summary alone of %zu\n",
                     days.all, days.all - days.unread, days.summarisedOnly);
        if (options.mode == benchMode::start || options.mode == benchMode::hour) {
            std::printf("view idle after %.3f s; longest stall %.0f ms; stalls over 100 ms: %d; "
                        "after the window was built: longest stall %.0f ms\n",
                        secondsBetween(started, now), all.longest * 1e3, all.overLimit, shown.longest * 1e3);
            const std::string memory = statusMemory();
            if (!memory.empty()) {
                // The run ends here: handing back the free heap changes nothing measured.
                returnFreedMemory();
                std::printf("memory when idle: %s; after returning freed heap: VmRSS %.1f MB\n", memory.c_str(),
                            residentBytes() / 1e6);
            }
            std::fflush(stdout);
            reportPaintCost();
            finish();
            return;
        }
        printMemory("memory when idle on the last day");
        if (options.mode == benchMode::find) {
            startSearch();
            return;
        }
        if (options.mode == benchMode::live) {
            appendCall();
            return;
        }
    } else {
        const vTimelineDisplayState* view = frame->panel()->displayState();
        const stallFigures step = stallsIn(gaps, stepStarted, now);
        std::fprintf(stderr, "viewBench: zoom step %d to %.1f days: idle after %.3f s, longest stall %.0f ms\n",
                     zoomSteps, (view->viewEnd - view->viewBegin) / 86400, secondsBetween(stepStarted, now),
                     step.longest * 1e3);
    }

    const vTimelineDisplayState* view = frame->panel()->displayState();
    if (view->viewBegin <= extentBegin && view->viewEnd >= extentEnd) {
        const stallFigures zooming = stallsIn(gaps, startupIdle, now);
        const stallFigures startup = stallsIn(gaps, started, startupIdle);
        std::printf("zoomed out from the last day to the whole extent in %d steps: idle after %.3f s; longest "
                    "stall %.0f ms; stalls over 100 ms: %d (start-up: idle after %.3f s; longest stall %.0f ms; "
                    "stalls over 100 ms: %d)\n",
                    zoomSteps, secondsBetween(startupIdle, now), zooming.longest * 1e3, zooming.overLimit,
                    secondsBetween(started, startupIdle), startup.longest * 1e3, startup.overLimit);
        printMemory("memory when idle on the whole extent");
        std::fflush(stdout);
        reportPaintCost();
        finish();
        return;
    }
    // The next step at once, as a user holding the zoom key would.
    ++zoomSteps;
    stepStarted = now;
    frame->panel()->zoomOut();
    markPaints();
}

bool benchApp::firstRowLitAt(double t)
{
    vSingleTimeline* row = rows[0];
    const wxSize size = row->GetClientSize();
    wxBitmap bitmap(size, 24);
    {
        wxMemoryDC dc(bitmap);
        row->draw(dc, size);
    }
    const wxImage image = bitmap.ConvertToImage();
    const int x = row->timeToX(t, size.x);
    for (int y = 0; y < 3; ++y) // above the middle line
        if (image.GetRed(x, y) + image.GetGreen(x, y) + image.GetBlue(x, y) == 0)
            return false;
    return true;
}

void benchApp::appendCall()
{
    const auto* line = dynamic_cast<const dynamicTimeline*>(frame->session().lineTimelines()[0].get());
    const double now = static_cast<double>(std::time(nullptr));
    const catalogEntry* today = nullptr;
    if (line)
        for (const catalogEntry& entry : line->catalogEntries())
            if (entry.start <= now && now < entry.end)
                today = &entry;
    if (!today) {
        std::fprintf(stderr, "viewBench: the first line has no catalog for today (make the archive end today)\n");
        exitCode = 1;
        finish();
        return;
    }
    // A minute where the row is dark, in the last hour and a half.
    liveCall = now - 300;
    while (liveCall > now - 5400 && (firstRowLitAt(liveCall) || firstRowLitAt(liveCall + 59)))
        liveCall -= 120;
    std::string xml;
    {
        std::FILE* in = std::fopen(today->path.c_str(), "rb");
        char buffer[65536];
        for (std::size_t n; in && (n = std::fread(buffer, 1, sizeof buffer, in)) > 0;)
            xml.append(buffer, n);
        if (in)
            std::fclose(in);
    }
    const std::size_t end = xml.rfind("</vmk_catalog>");
    if (end == std::string::npos) {
        std::fprintf(stderr, "viewBench: today's catalog %s has no end\n", today->path.c_str());
        exitCode = 1;
        finish();
        return;
    }
    const localDateTime when = localDateTimeAt(static_cast<std::int64_t>(liveCall));
    char call[512];
    std::snprintf(call, sizeof call,
                  "  <file><hdr><au_hdr><data_size>480000</data_size><sample_rate>8000</sample_rate></au_hdr>"
                  "<vmk_hdr><date>%04d%02d%02d</date><time>%02d%02d%02d</time><number>0301234567</number>"
                  "</vmk_hdr></hdr></file>\n",
                  static_cast<int>(when.date.year), when.date.month, when.date.day, when.hour, when.minute,
                  when.second);
    xml.insert(end, call);
    // Written in place, as the logger appends to its catalog.
    std::FILE* out = std::fopen(today->path.c_str(), "r+b");
    if (!out || std::fwrite(xml.data(), 1, xml.size(), out) != xml.size()) {
        std::fprintf(stderr, "viewBench: cannot write %s\n", today->path.c_str());
        if (out)
            std::fclose(out);
        exitCode = 1;
        finish();
        return;
    }
    std::fclose(out);
    liveWritten = liveChecked = benchClock::now();
    state = phase::live;
}

void benchApp::checkLive(benchClock::time_point now)
{
    if (secondsBetween(liveChecked, now) < 0.02)
        return;
    liveChecked = now;
    if (firstRowLitAt(liveCall + 30)) {
        std::printf("live: a call appended to today's catalog was on screen after %.3f s (the program looks every "
                    "%d s)\n",
                    secondsBetween(liveWritten, now), frame->session().liveUpdates().seconds);
        std::fflush(stdout);
        finish();
    } else if (secondsBetween(liveWritten, now) > 60) {
        std::fprintf(stderr, "viewBench: the call appended at %s is not on screen after a minute\n",
                     localText(liveCall).c_str());
        exitCode = 1;
        finish();
    }
}

void benchApp::startSearch()
{
    findPanel* finder = frame->finder();
    auto* where = dynamic_cast<wxChoice*>(wxWindow::FindWindowByName("findWhere", finder));
    auto* includedOnly = dynamic_cast<wxCheckBox*>(wxWindow::FindWindowByName("findIncludedOnly", finder));
    auto* shortest = dynamic_cast<wxTextCtrl*>(wxWindow::FindWindowByName("findShortest", finder));
    auto* longest = dynamic_cast<wxTextCtrl*>(wxWindow::FindWindowByName("findLongest", finder));
    if (!where || !includedOnly || !shortest || !longest) {
        std::fprintf(stderr, "viewBench: the find panel lacks its fields\n");
        exitCode = 1;
        finish();
        return;
    }
    finder->setOpen(true);
    finder->queryField()->ChangeValue(wxString::FromUTF8(options.query));
    where->SetSelection(2); // in the whole archive
    includedOnly->SetValue(false);
    shortest->ChangeValue(wxString());
    longest->ChangeValue(wxString());
    times = std::make_unique<eventTimes>(finder, finder->resultList(), rows);
    wxEvtHandler::AddFilter(times.get());

    // What start() does on this thread counts as a stall of the search.
    searchStarted = lastTick = benchClock::now();
    searchProcessor = processorSeconds(CLOCK_PROCESS_CPUTIME_ID);
    searchMainThread = threadSeconds();
    lastScheduled = threadScheduling();
    state = phase::searching;
    if (!finder->start()) {
        std::fprintf(stderr, "viewBench: the search did not start: %s\n", finder->statusText().utf8_str().data());
        exitCode = 1;
        finish();
        return;
    }
    checkSearch(benchClock::now());
}

void benchApp::checkSearch(benchClock::time_point now)
{
    findPanel* finder = frame->finder();
    if (!hitSeen && finder->hitCount() > 0) {
        hitSeen = true;
        firstHit = now;
    }
    if (!finder->isSearching()) {
        searchDone(now);
        return;
    }
    if (secondsBetween(searchStarted, now) > options.timeoutSeconds) {
        std::fprintf(stderr, "viewBench: the search has not finished after %.0f s (%zu calls found)\n",
                     options.timeoutSeconds, finder->hitCount());
        exitCode = 1;
        finish();
    }
}

void benchApp::searchDone(benchClock::time_point now)
{
    gaps.push_back(gap{lastTick, now});
    lastTick = now;
    const double processor = processorSeconds(CLOCK_PROCESS_CPUTIME_ID) - searchProcessor;
    const double mainThread = threadSeconds() - searchMainThread;
    times->tick();
    wxEvtHandler::RemoveFilter(times.get());

    findPanel* finder = frame->finder();
    const stallFigures search = stallsIn(gaps, searchStarted, now);
    const stallFigures startup = stallsIn(gaps, started, startupIdle);
    std::fprintf(stderr, "viewBench: start-up on the last day: idle after %.3f s, longest stall %.0f ms\n",
                 secondsBetween(started, startupIdle), startup.longest * 1e3);
    std::printf("find \"%s\" in the whole archive, %zu lines: first hit after %.3f s; finished after %.3f s; "
                "%zu calls; longest stall %.0f ms; stalls over 100 ms: %d\n",
                options.query.c_str(), frame->session().lineTimelines().size(),
                hitSeen ? secondsBetween(searchStarted, firstHit) : -1.0, secondsBetween(searchStarted, now),
                finder->hitCount(), search.longest * 1e3, search.overLimit);
    printMemory("memory when the search had finished");
    std::fflush(stdout);

    std::fprintf(stderr,
                 "viewBench: processor time during the search: %.3f s, of which the main thread %.3f s and the "
                 "search and the catalog loader's workers %.3f s\n",
                 processor, mainThread, processor - mainThread);
    // The longest gap between ticks: the main thread busy, waiting for a
    // processor, or neither (blocked on a lock, or the loop asleep).
    const gap* longestGap = nullptr;
    for (const gap& g : gaps)
        if (g.start >= searchStarted && (!longestGap || g.seconds() > longestGap->seconds()))
            longestGap = &g;
    if (longestGap)
        std::fprintf(stderr,
                     "viewBench: the longest gap between ticks, %.0f ms at %.3f s of the search: the main thread ran "
                     "%.0f ms, waited for a processor %.0f ms, was blocked or asleep %.0f ms\n",
                     longestGap->seconds() * 1e3, secondsBetween(searchStarted, longestGap->start),
                     longestGap->spent.running * 1e3, longestGap->spent.waiting * 1e3,
                     std::max(0.0, longestGap->seconds() - longestGap->spent.running - longestGap->spent.waiting) *
                         1e3);
    const char* const names[] = {"find panel updates (its 100 ms timer)", "row paints", "result list paints",
                                 "other events", "the loop between events (waiting, toolkit work)"};
    for (int k = 0; k < eventTimes::kinds; ++k) {
        const eventTimes::total& t = times->of(static_cast<eventTimes::kind>(k));
        std::fprintf(stderr,
                     "viewBench: main thread during the search, %s: %d, %.3f s processor time, longest %.0f ms%s\n",
                     names[k], t.count, t.seconds, t.longest * 1e3,
                     k == eventTimes::other ? (" (a " + times->longestOther() + ")").utf8_str().data() : "");
    }
    // How an update's cost grows with the hits it adds to.
    const std::vector<double>& updates = times->updateSeconds();
    if (!updates.empty()) {
        std::string line;
        const std::size_t shown = std::min<std::size_t>(updates.size(), 8);
        for (std::size_t i = 0; i < shown; ++i) {
            const std::size_t at = shown == 1 ? 0 : i * (updates.size() - 1) / (shown - 1);
            char item[48];
            std::snprintf(item, sizeof item, "%s#%zu %.0f ms", i ? ", " : "", at + 1, updates[at] * 1e3);
            line += item;
        }
        std::fprintf(stderr, "viewBench: find panel updates in order: %s\n", line.c_str());
    }
    times.reset();
    reportMatchCost();
    finish();
}

void benchApp::reportMatchCost()
{
    double from = 0, to = 0;
    bool any = false;
    for (const auto& line : frame->session().lineTimelines()) {
        if (line->isEmpty())
            continue;
        from = any ? std::min(from, line->getStart()) : line->getStart();
        to = any ? std::max(to, line->getEnd()) : line->getEnd();
        any = true;
    }
    const callFilter filter{callQuery(options.query)};
    std::size_t calls = 0, matching = 0;
    benchClock::time_point begin = benchClock::now();
    for (const auto& line : frame->session().lineTimelines())
        calls += line->getRecordings(from, to).size();
    const double walk = secondsBetween(begin, benchClock::now());
    begin = benchClock::now();
    for (const auto& line : frame->session().lineTimelines())
        for (const recording* r : line->getRecordings(from, to))
            matching += filter.matches(*r) ? 1 : 0;
    const double match = secondsBetween(begin, benchClock::now());
    std::fprintf(stderr,
                 "viewBench: afterwards, on this thread: listing the %zu calls of the archive takes %.3f s, "
                 "listing and matching them %.3f s (%zu match)\n",
                 calls, walk, match, matching);
}

void benchApp::reportPaintCost()
{
    const benchClock::time_point begin = benchClock::now();
    for (vSingleTimeline* row : rows) {
        const wxSize size = row->GetClientSize();
        wxBitmap bitmap(size, 24);
        wxMemoryDC dc(bitmap);
        dc.SetFont(row->GetFont());
        row->draw(dc, size);
    }
    std::fprintf(stderr, "viewBench: one paint of all %zu rows (%d pixels wide) into bitmaps takes %.0f ms\n",
                 rows.size(), rows.empty() ? 0 : rows[0]->GetClientSize().x,
                 secondsBetween(begin, benchClock::now()) * 1e3);
}

void benchApp::finish()
{
    state = phase::done;
    timer.Stop();
    for (const gap& g : gaps)
        if (g.seconds() > 0.100)
            std::fprintf(stderr, "viewBench: stall of %.0f ms from %.3f s to %.3f s\n", g.seconds() * 1e3,
                         secondsBetween(started, g.start), secondsBetween(started, g.end));
    // Closing writes the settings into the scratch folder; the loop ends when
    // the frame is gone.
    frame->Close(true);
}
}

wxIMPLEMENT_APP_NO_MAIN(benchApp);

int main(int argc, char** argv)
{
    const std::string mode = argc >= 2 ? argv[1] : "";
    if (!(argc == 4 && (mode == "START" || mode == "HOUR" || mode == "ZOOM" || mode == "LIVE")) &&
        !(argc == 5 && mode == "FIND")) {
        std::fprintf(stderr, "usage: viewBench START|HOUR|ZOOM|LIVE LOGGER_INI CACHE_DIR   (under Xvfb)\n"
                             "       viewBench FIND LOGGER_INI CACHE_DIR QUERY\n");
        return 2;
    }
    options.mode = mode == "START"  ? benchMode::start
                   : mode == "HOUR" ? benchMode::hour
                   : mode == "ZOOM" ? benchMode::zoom
                   : mode == "LIVE" ? benchMode::live
                                    : benchMode::find;
    if (options.mode == benchMode::find)
        options.query = argv[4];
    options.loggerIni = wxFileName(wxString::FromUTF8(argv[2])).GetAbsolutePath().utf8_string();
    if (!wxFileName::FileExists(wxString::FromUTF8(options.loggerIni))) {
        std::fprintf(stderr, "viewBench: %s does not exist\n", options.loggerIni.c_str());
        return 2;
    }
    const wxString cacheFolder = wxFileName(wxString::FromUTF8(argv[3])).GetAbsolutePath();
    options.indexFolder = toNarrow(wxFileName(cacheFolder, "orvista").GetFullPath());
    // Only the program's name goes on to the toolkit.
    int wxArgc = 1;
    char* wxArgv[] = {argv[0], nullptr};
    cancellingHook hook;
    hook.Register();
    const int result = wxEntry(wxArgc, wxArgv);
    hook.Unregister();
    if (!scratch.empty())
        wxFileName::Rmdir(scratch, wxPATH_RMDIR_RECURSIVE);
    return exitCode != 0 ? exitCode : result;
}
