#pragma once
// A listener of a display model for tests: it keeps, for every announcement it
// hears, the previous state it was given and the model's state at that moment.
#include <functional>
#include <utility>
#include <vector>

#include "display/displayModel.h"

struct displaySpy {
    explicit displaySpy(displayModel& model_, std::function<void()> heard_ = nullptr)
        : model(model_), heard(std::move(heard_)), connection(model.subscribe(&listener))
    {
    }
    int calls() const { return static_cast<int>(previous.size()); }

    displayModel& model;
    std::function<void()> heard; // called after each announcement is noted
    std::vector<vTimelineDisplayState> previous, current;
    clMethod<displaySpy, null, const vTimelineDisplayState*> listener{this, &displaySpy::hear};
    displayConnection connection;

private:
    null hear(const vTimelineDisplayState* before)
    {
        previous.push_back(*before);
        current.push_back(model.state());
        if (heard)
            heard();
        return null();
    }
};

inline bool sameState(const vTimelineDisplayState& a, const vTimelineDisplayState& b)
{
    return a.selectionBegin == b.selectionBegin && a.selectionEnd == b.selectionEnd && a.viewBegin == b.viewBegin &&
           a.viewEnd == b.viewEnd;
}
