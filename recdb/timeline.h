#pragma once
// The recordings of one line (channel). Times of the interface are seconds since
// 1970 (see timeValue.h); a recording keeps its own start and end as local
// date-times.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <wx/datetime.h>

// One recorded call.
class recording {
public:
    wxDateTime start;
    wxDateTime end;
    // "label" (the caller's number) and "filename" (the audio file's path).
    std::map<std::string, std::string> properties;

    // The property's value, or the empty string when there is none.
    std::string getProperty(const std::string& key) const;
};

typedef std::vector<const recording*> recordingList;

class timeline {
public:
    virtual double getStart() const = 0;
    virtual double getEnd() const = 0;
    virtual bool isEmpty() const = 0;
    virtual std::string getName() const = 0;
    // The recordings that overlap the open interval (from, to): a recording that
    // ends exactly at `from` or begins exactly at `to` is not included. Order:
    // catalog entries as scanned, then each catalog's own order. The pointers
    // stay valid as long as the timeline exists.
    virtual recordingList getRecordings(double from, double to) const = 0;
    virtual ~timeline() = default;
};

// One catalog file: the day it covers and, once it was needed, its recordings.
struct catalogEntry {
    double start = 0; // local midnight that begins the day
    double end = 0;   // the next local midnight (23, 24 or 25 hours later)
    std::string path;
    // Absent until first needed; then loaded once and kept (empty when the
    // catalog could not be read, so it is not read again).
    std::unique_ptr<std::vector<recording>> recordings;
};
