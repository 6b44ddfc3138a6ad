// Every display widget asks to be repainted when the model changes what it
// shows (and the scale not when only the selection moved), and leaves the
// model when it is destroyed: one table over the widgets and the changes.
#include <gtest/gtest.h>

#include <functional>
#include <utility>

#include <wx/frame.h>

#include "display/timeSelector.h"
#include "display/vSingleTimeline.h"
#include "display/vTimeScale.h"
#include "display/vTimeWindow.h"
#include "display/vTimespan.h"
#include "support/guiSupport.h"
#include "tests/display/fakeTimeline.h"

namespace {
enum repaint { none, parts, whole };

struct repaints {
    int whole = 0, parts = 0;
};

// A widget that counts the repaints it asks for: whole, or of rectangles.
template <typename Widget>
class counting : public Widget {
public:
    template <typename... Args>
    explicit counting(repaints& seen_, Args&&... args) : Widget(std::forward<Args>(args)...), seen(seen_)
    {
    }
    void Refresh(bool eraseBackground = true, const wxRect* rect = nullptr) override
    {
        ++(rect ? seen.parts : seen.whole);
        Widget::Refresh(eraseBackground, rect);
    }

private:
    repaints& seen;
};
}

TEST(repaintTest, everyWidgetRepaintsWhatAModelChangeMoved)
{
    const double t0 = 1700000000;
    fakeTimeline line{"Line"};
    line.add(t0 + 100, t0 + 300, "a").add(t0 + 500, t0 + 600, "b");
    displayModel model(vTimelineDisplayState{t0 + 200, t0 + 400, t0, t0 + 1000});
    wxFrame* frame = new wxFrame(nullptr, wxID_ANY, "repaint", wxDefaultPosition, wxSize(600, 100));
    repaints seen;

    const struct {
        const char* name;
        std::function<wxWindow*()> make;
        repaint onViewEnd, onViewBegin, onSelection;
    } widgets[] = {
        {"row", [&] { return new counting<vSingleTimeline>(seen, frame, &line, model); }, whole, whole, parts},
        {"overview bar", [&] { return new counting<vTimeWindow>(seen, frame, model, t0, t0 + 2000); }, whole, whole,
         whole},
        {"selection bar", [&] { return new counting<vTimespan>(seen, frame, model); }, whole, whole, whole},
        {"scale", [&] { return new counting<vTimeScale>(seen, frame, model); }, whole, whole, none},
        {"time selector",
         [&] { return new counting<timeSelector>(seen, frame, model, &vTimelineDisplayState::selectionEnd); }, whole,
         whole, whole},
    };
    for (const auto& w : widgets) {
        wxWindow* widget = w.make();
        EXPECT_EQ(1, model.listenerCount()) << w.name;
        const std::pair<repaint, std::function<void()>> changes[] = {
            {w.onViewEnd, [&] { model.setView(model.state().viewBegin, model.state().viewEnd + 100); }},
            {w.onViewBegin, [&] { model.setView(model.state().viewBegin - 1, model.state().viewEnd); }},
            {w.onSelection, [&] { model.setSelection(model.state().selectionBegin, model.state().selectionEnd + 60); }},
        };
        int step = 0;
        for (const auto& [expected, change] : changes) {
            seen = repaints();
            change();
            EXPECT_EQ(expected == whole, seen.whole > 0) << w.name << ", change " << step;
            EXPECT_EQ(expected == parts, seen.parts > 0) << w.name << ", change " << step;
            ++step;
        }
        widget->Destroy(); // a child window: deleted at once
        EXPECT_EQ(0, model.listenerCount()) << w.name;
    }
    destroyNow(frame);
}
