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

    std::vector<recording> records;
    mutable int queries = 0;

private:
    std::string name;
    double start;
    double end;
};
