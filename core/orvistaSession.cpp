#include "core/orvistaSession.h"

#include <atomic>
#include <chrono>
#include <ctime>
#include <exception>
#include <mutex>
#include <thread>

#include "platform/narrow.h"
#include "recdb/callSearch.h"
#include "recdb/catalogIndex.h"
#include "recdb/catalogLoader.h"
#include "recdb/dirTimelineScanner.h"
#include "recdb/dynamicTimeline.h"
#include "recdb/loggerIni.h"

orvistaSession::orvistaSession(const programFiles& files)
    : paths(files)
{
    // Catalogs read once are kept in the cache folder: the next start takes
    // them from there unless they changed.
    std::shared_ptr<const catalogIndex> index;
    if (!files.cacheFolder().empty())
        index = std::make_shared<catalogIndex>(toNarrow(files.cacheFolder()));
    loader = std::make_unique<catalogLoader>(std::move(index));
}

orvistaSession::~orvistaSession()
{
    loader.reset();
}

bool orvistaSession::loadDocuments()
{
    wxString reason;
    // Both are tried, whatever the first gives.
    const bool settingsRead = loadSettingsDocument(settingsDocument, paths.settingsFile(), reason);
    const bool schemaRead = loadSettingsDocument(schemaDocument, paths.schemaFile(), reason);
    return settingsRead && schemaRead;
}

void orvistaSession::readStartup(const wxDateTime& now)
{
    startupValues = readStartupSettings(settingsDocument.GetRoot(), now);
    loggerIniPath = startupValues.loggerIniPath;
    copyTo = startupValues.copyToDirectory;
}

bool orvistaSession::loggerIniFound() const
{
    return loggerIniExists(loggerIniPath);
}

void orvistaSession::chooseLoggerIni(const wxString& path)
{
    loggerIniPath = toNarrow(path);
    if (wxXmlNode* paths = startupValues.pathsElement) {
        paths->DeleteAttribute("logger-ini");
        paths->AddAttribute("logger-ini", path);
    }
}

void orvistaSession::replaceSettings(const wxXmlDocument& edited)
{
    settingsDocument = edited;
    // It pointed into the document that went.
    startupValues.pathsElement = nullptr;
}

void orvistaSession::reload(const std::function<void()>& keepAlive,
                            const std::function<void(const std::vector<const timeline*>&)>& show)
{
    std::map<std::string, std::string> folders;
    readLoggerIni(loggerIniPath, folders);
    // Many short scans add up: between lines, too, keepAlive is called once the
    // scanner's interval has passed.
    auto lastCall = std::chrono::steady_clock::now();
    auto keepAliveTimed = [&] {
        keepAlive();
        lastCall = std::chrono::steady_clock::now();
    };
    // The lines are scanned side by side, as many at a time as there are
    // cores: a scan mostly waits for the file system, one folder at a time.
    // This thread keeps the windows painted meanwhile.
    const std::vector<std::pair<std::string, std::string>> channels(folders.begin(), folders.end());
    std::vector<std::unique_ptr<dynamicTimeline>> built(channels.size());
    std::atomic<std::size_t> next{0}, done{0};
    std::mutex failureLock;
    std::exception_ptr failure;
    const catalogIndex* index = loader->index();
    auto scanLines = [&] {
        for (std::size_t i; (i = next++) < channels.size(); ++done) {
            try {
                built[i] = std::make_unique<dynamicTimeline>(channels[i].second, channels[i].first,
                                                             std::function<void()>(), index);
            } catch (...) {
                std::lock_guard<std::mutex> hold(failureLock);
                failure = std::current_exception();
            }
        }
    };
    {
        std::vector<std::thread> scanners;
        const std::size_t count = std::min<std::size_t>(std::max(1u, std::thread::hardware_concurrency()), channels.size());
        for (std::size_t i = 0; i < count; ++i)
            scanners.emplace_back(scanLines);
        while (done.load() < channels.size()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            if (std::chrono::steady_clock::now() - lastCall >= dirTimelineScanner::keepAliveInterval)
                keepAliveTimed();
        }
        for (std::thread& scanner : scanners)
            scanner.join();
    }
    if (failure)
        std::rethrow_exception(failure);
    std::vector<std::unique_ptr<timeline>> scanned;
    const bool live = liveUpdates().on;
    for (auto& line : built) {
        line->setLoader(loader.get());
        if (live)
            line->watchPresentDays(static_cast<std::int64_t>(std::time(nullptr)));
        scanned.push_back(std::move(line));
    }
    // Nothing may still be reading into the timelines about to go.
    loader->stop();

    std::vector<const timeline*> lines;
    for (const auto& line : scanned)
        lines.push_back(line.get());
    show(lines);
    channelFolders.swap(folders);
    timelines.swap(scanned);
}

liveSettings orvistaSession::liveUpdates() const
{
    return readLiveSettings(settingsDocument.GetRoot());
}

dynamicTimeline::news orvistaSession::lookForNews(std::int64_t now)
{
    dynamicTimeline::news found;
    bool stopped = false;
    auto stopWorkers = [&] {
        if (!stopped)
            loader->stop();
        stopped = true;
    };
    for (const auto& line : timelines)
        if (auto* scanned = dynamic_cast<dynamicTimeline*>(line.get()))
            scanned->lookForNews(now, loader->index(), found, stopWorkers);
    return found;
}

unsigned orvistaSession::catalogsRead() const
{
    return loader->catalogsRead();
}

bool orvistaSession::readInterval(const std::vector<const timeline*>& lines, double from, double to,
                                  const std::function<bool(std::size_t done, std::size_t total)>& progress)
{
    return loadInterval(lines, from, to, loader.get(), progress);
}

std::unique_ptr<callSearch> orvistaSession::findCalls(const std::vector<const timeline*>& lines, double from,
                                                      double to, const callFilter& filter) const
{
    return std::make_unique<callSearch>(lines, from, to, filter, loader.get());
}

findSettings orvistaSession::lastFind() const
{
    return readFindSettings(settingsDocument.GetRoot());
}

bool orvistaSession::hasFindSettings() const
{
    for (wxXmlNode* child = settingsDocument.GetRoot() ? settingsDocument.GetRoot()->GetChildren() : nullptr; child;
         child = child->GetNext())
        if (child->GetType() == wxXML_ELEMENT_NODE && child->GetName() == "find")
            return true;
    return false;
}

void orvistaSession::keepFind(const findSettings& find)
{
    saveFindSettings(settingsDocument.GetRoot(), find);
}

void orvistaSession::keepView(const viewState& view)
{
    saveViewState(settingsDocument.GetRoot(), view);
}

bool orvistaSession::saveSettings(wxString& reason) const
{
    return writeSettingsFile(settingsDocument, paths.settingsFile(), reason);
}
