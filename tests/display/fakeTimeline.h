#pragma once
// A timeline held in memory, for display tests: recordings given as
// [start, end) in seconds with a label.
#include <string>
#include <vector>

#include "recdb/timeline.h"

class fakeTimeline : public timeline {
public:
    explicit fakeTimeline(std::string name_, double start_ = 0, double end_ = 0) : name(std::move(name_)), start(start_), end(end_) {}

    fakeTimeline& add(double from, double to, const std::string& label = std::string())
    {
        recording r;
        r.start = wxDateTime(static_cast<time_t>(from));
        r.end = wxDateTime(static_cast<time_t>(to));
        r.properties["label"] = label;
        r.properties["filename"] = name + "/" + std::to_string(static_cast<long long>(from));
        records.push_back(r);
        if (records.size() == 1 && start == end) {
            start = from;
            end = to;
        }
        start = std::min(start, from);
        end = std::max(end, to);
        return *this;
    }

    double getStart() const override { return start; }
    double getEnd() const override { return end; }
    bool isEmpty() const override { return records.empty() && start == end; }
    std::string getName() const override { return name; }
    recordingList getRecordings(double from, double to) const override
    {
        ++queries;
        recordingList result;
        for (const recording& r : records) {
            double s = static_cast<double>(r.start.GetTicks()), e = static_cast<double>(r.end.GetTicks());
            if (to > s && from < e)
                result.push_back(&r);
        }
        return result;
    }

    // Days still "being read": their recordings are held back from
    // getAvailableRecordings, which reports the spans instead.
    recordingList getAvailableRecordings(double from, double to, std::vector<timeSpan>& pending) const override
    {
        recordingList result;
        for (const recording* r : getRecordings(from, to)) {
            bool held = false;
            for (const timeSpan& day : unread)
                held = held || (r->start.GetTicks() < day.to && r->end.GetTicks() > day.from);
            if (!held)
                result.push_back(r);
        }
        for (const timeSpan& day : unread)
            if (to > day.from && from < day.to)
                pending.push_back(day);
        return result;
    }

    std::vector<recording> records;
    std::vector<timeSpan> unread;
    mutable int queries = 0;

private:
    std::string name;
    double start;
    double end;
};
