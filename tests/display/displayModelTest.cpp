// The display model: what it announces, to whom, and when a subscription ends.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "display/displayModel.h"
#include "tests/display/displaySpy.h"

namespace {
const vTimelineDisplayState start{200, 400, 0, 1000}; // selection, then view
}

TEST(displayModelTest, everyChangeIsAnnouncedOnceInOrderWithThePreviousState)
{
    const struct {
        const char* name;
        std::function<void(displayModel&)> apply;
        vTimelineDisplayState after;
        int announcements;
    } cases[] = {
        {"view", [](displayModel& m) { m.setView(-5, 5); }, {200, 400, -5, 5}, 1},
        {"selection", [](displayModel& m) { m.setSelection(1, 2); }, {1, 2, 0, 1000}, 1},
        {"edit",
         [](displayModel& m) {
             m.change([](vTimelineDisplayState& s) {
                 s.viewEnd = 300;
                 clampSelectionIntoView(s);
             });
         },
         {200, 300, 0, 300}, 1},
        {"edit that changes nothing", [](displayModel& m) { m.change([](vTimelineDisplayState&) {}); }, start, 1},
        {"reset for a rebuild", [](displayModel& m) { m.reset({1, 2, 3, 4}); }, {1, 2, 3, 4}, 0},
    };
    for (const auto& c : cases) {
        displayModel model(start);
        std::string order;
        displaySpy first(model, [&] { order += "first "; }), second(model, [&] { order += "second "; });
        c.apply(model);
        EXPECT_TRUE(sameState(c.after, model.state())) << c.name;
        ASSERT_EQ(c.announcements, first.calls()) << c.name;
        ASSERT_EQ(c.announcements, second.calls()) << c.name;
        if (c.announcements == 0)
            continue;
        EXPECT_TRUE(sameState(start, first.previous[0])) << c.name;
        EXPECT_TRUE(sameState(c.after, first.current[0])) << c.name << ": listeners see the change done";
        EXPECT_EQ("first second ", order) << c.name;
    }
}

TEST(displayModelTest, aSubscriptionEndsWithItsConnectionAlsoDuringAnAnnouncement)
{
    displayModel model(start);
    displaySpy first(model), second(model);
    auto third = std::make_unique<displaySpy>(model);
    // While the change is announced, the first listener closes its own
    // connection and destroys the third listener: the third is not called.
    first.heard = [&] {
        first.connection.close();
        third.reset();
    };
    model.setView(0, 1);
    EXPECT_EQ(1, first.calls());
    EXPECT_EQ(1, second.calls());
    EXPECT_EQ(1, model.listenerCount());

    // Moved, it is still the one subscription: the emptied connection ends
    // nothing, the one it moved to ends it when replaced.
    displayConnection moved = std::move(second.connection);
    second.connection.close();
    model.setView(0, 2);
    EXPECT_EQ(2, second.calls());
    moved = displayConnection();
    EXPECT_EQ(0, model.listenerCount());
}
