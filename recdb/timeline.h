#pragma once
// The recordings of one line (channel). Times of the interface are seconds since
// 1970 (see timeValue.h); a recording keeps its own start and end as local
// date-times.
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <wx/datetime.h>

#include "platform/fileStamp.h"
#include "recdb/daySummary.h"
#include "recdb/recordingText.h"

// One recorded call: 32 bytes, its texts kept apart (see recordingText.h), so
// that years of calls fit in memory.
class recording {
public:
    wxDateTime start;
    wxDateTime end;
    // "label" (the caller's number) and "filename" (the audio file's path).
    recordingProperties properties;

    // The caller's number and the audio file's path; empty when not set.
    std::string label() const { return properties.labelText(); }
    std::string fileName() const { return properties.fileNameText(); }

    // The property's value, or the empty string when there is none.
    std::string getProperty(const std::string& key) const { return properties.get(key); }
};

typedef std::vector<const recording*> recordingList;

// A stretch of the time axis, in seconds.
struct timeSpan {
    double from = 0;
    double to = 0;
};

class timeline {
public:
    virtual double getStart() const = 0;
    virtual double getEnd() const = 0;
    virtual bool isEmpty() const = 0;
    virtual std::string getName() const = 0;
    // The recordings that overlap the open interval (from, to): a recording that
    // ends exactly at `from` or begins exactly at `to` is not included. Order:
    // catalog entries as scanned, then each catalog's own order. The pointers
    // stay valid as long as the timeline exists. Reads what is not read yet, so
    // it may take long; see getAvailableRecordings.
    virtual recordingList getRecordings(double from, double to) const = 0;

    // What getRecordings would return from the days that are read already,
    // without waiting for any other. The days of the interval that are still
    // being read are appended to `pending` (and asked for in the background
    // where the timeline can do that). A timeline that reads nothing lazily
    // answers as getRecordings and leaves `pending` alone.
    virtual recordingList getAvailableRecordings(double from, double to, std::vector<timeSpan>& pending) const
    {
        (void)pending;
        return getRecordings(from, to);
    }
    // The catalog entries of the interval whose recordings are not read yet
    // (for loadInterval). A timeline that reads nothing lazily has none.
    virtual void unreadEntries(double from, double to, std::vector<struct catalogEntry*>& out) const
    {
        (void)from, (void)to, (void)out;
    }
    // For views too long to tell calls apart: the summaries of the days the
    // interval (from, to) overlaps, as far as they are known (in entry order;
    // a day of an unreadable catalog has a summary without calls). Days not
    // summarised yet are appended to `pending` and asked for in the
    // background, without reading their recordings. The pointers stay valid as
    // long as the timeline exists. False when the timeline keeps no summaries:
    // then ask for the recordings instead.
    virtual bool availableSummaries(double from, double to, std::vector<const daySummary*>& out,
                                    std::vector<timeSpan>& pending) const
    {
        (void)from, (void)to, (void)out, (void)pending;
        return false;
    }
    // The catalogs of the interval, read already, that could not be read: the
    // days whose recordings getRecordings could not give.
    virtual void unreadableCatalogs(double from, double to, std::vector<std::string>& out) const
    {
        (void)from, (void)to, (void)out;
    }
    virtual ~timeline() = default;
};

// One catalog file: the day it covers and, once it was needed, its recordings.
struct catalogEntry {
    double start = 0; // local midnight that begins the day
    double end = 0;   // the next local midnight (23, 24 or 25 hours later)
    std::string path;
    // Absent until first needed; then loaded once and kept (empty when the
    // catalog could not be read, so it is not read again). While other threads
    // may be reading it, only what `loaded` says is published may be looked at.
    std::unique_ptr<std::vector<recording>> recordings;

    enum : int { absent = 0, queued = 1, loading = 2, loaded = 3 };
    // Who is reading the catalog: moves only forward, except that a queued
    // entry whose request is withdrawn goes back to absent.
    std::atomic<int> state{absent};
    // Set before the entry is published as loaded when the catalog could not
    // be opened or parsed: its day shows nothing, and a tool must say so.
    bool unreadable = false;

    // The day in brief, for views too long to show calls: made on its own
    // (from the index, or by reading the catalog without keeping its
    // recordings) or along with the recordings. The same states as `state`,
    // and only what `summaryState` says is published may be looked at.
    std::unique_ptr<daySummary> summary;
    std::atomic<int> summaryState{absent};

    // The catalog as it was when its recordings, and its summary, were made
    // (each written by whoever holds its state at loading).
    fileStamp callsStamp;
    fileStamp summaryStamp;
    // A catalog of the present days, which the logger may be writing: a read
    // that fails is not reported, as it is read again and reported when it
    // stays broken (dynamicTimeline::lookForNews).
    bool quiet = false;

    catalogEntry() = default;
    // Entries are moved only while one thread owns them (during the scan).
    catalogEntry(catalogEntry&& other) noexcept
        : start(other.start), end(other.end), path(std::move(other.path)), recordings(std::move(other.recordings)),
          state(other.state.load(std::memory_order_relaxed)), unreadable(other.unreadable),
          summary(std::move(other.summary)), summaryState(other.summaryState.load(std::memory_order_relaxed)),
          callsStamp(other.callsStamp), summaryStamp(other.summaryStamp), quiet(other.quiet)
    {
    }
    catalogEntry& operator=(catalogEntry&& other) noexcept
    {
        start = other.start;
        end = other.end;
        path = std::move(other.path);
        recordings = std::move(other.recordings);
        state.store(other.state.load(std::memory_order_relaxed), std::memory_order_relaxed);
        unreadable = other.unreadable;
        summary = std::move(other.summary);
        summaryState.store(other.summaryState.load(std::memory_order_relaxed), std::memory_order_relaxed);
        callsStamp = other.callsStamp;
        summaryStamp = other.summaryStamp;
        quiet = other.quiet;
        return *this;
    }

    // Whether the recordings are there to read, from any thread.
    bool isLoaded() const { return state.load(std::memory_order_acquire) == loaded; }
    // Whether the summary is there to read, from any thread.
    bool hasSummary() const { return summaryState.load(std::memory_order_acquire) == loaded; }
};
