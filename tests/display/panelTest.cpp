#include <utility>

#include <gtest/gtest.h>

#include <wx/checkbox.h>
#include <wx/app.h>
#include <wx/dcmemory.h>
#include <wx/frame.h>
#include <wx/scrolwin.h>

#include "display/vSingleTimeline.h"
#include "display/vTimeScale.h"
#include "display/vTimeline.h"
#include "support/guiSupport.h"
#include "tests/display/displaySpy.h"
#include "tests/display/fakeTimeline.h"

namespace {
const double t0 = 1700000000;

class panelFixture : public ::testing::Test {
protected:
    wxFrame* frame = nullptr;
    vTimeline* panel = nullptr;
    fakeTimeline alpha{"Alpha"}, beta{"Beta"}, empty{"Empty"};

    void SetUp() override
    {
        alpha.add(t0 + 100, t0 + 200, "a1").add(t0 + 5000, t0 + 5100, "a2");
        beta.add(t0 + 50, t0 + 150, "b1").add(t0 + 9000, t0 + 9500, "b2");
        frame = new wxFrame(nullptr, wxID_ANY, "panel");
        // View [t0, t0 + 10000], selection [t0 + 1000, t0 + 6000].
        panel = new vTimeline(frame, vTimelineDisplayState{t0 + 1000, t0 + 6000, t0, t0 + 10000});
        frame->SetClientSize(900, 400);
        frame->Show();
        ASSERT_TRUE(yieldUntil([&] { return frame->IsShownOnScreen(); }));
    }
    void TearDown() override
    {
        destroyNow(frame);
    }
    const vTimelineDisplayState& state() { return *panel->displayState(); }
    void setSelection(double begin, double end) { panel->model().setSelection(begin, end); }
};

std::vector<std::string> labels(const recordingList& list)
{
    std::vector<std::string> result;
    for (const recording* r : list)
        result.push_back(r->getProperty("label"));
    return result;
}
}

TEST_F(panelFixture, withoutLinesTheExtentIsZeroToOne)
{
    EXPECT_EQ(0, panel->getExtentBegin());
    EXPECT_EQ(1, panel->getExtentEnd());
    EXPECT_EQ(0u, panel->lineCount());
    // Four selectors and three bars.
    EXPECT_EQ(7, panel->model().listenerCount());
    EXPECT_EQ(t0, state().viewBegin);
    EXPECT_EQ(t0 + 6000, state().selectionEnd);

    panel->setTimelines({&empty});
    EXPECT_EQ(0, panel->getExtentBegin());
    EXPECT_EQ(1, panel->getExtentEnd());
}

TEST_F(panelFixture, rebuildSubscribesEveryWidgetOnceAndKeepsTheStateRecord)
{
    const vTimelineDisplayState* record = panel->displayState();
    panel->setTimelines({&alpha, &empty, &beta});
    EXPECT_EQ(record, panel->displayState());
    EXPECT_EQ(10, panel->model().listenerCount()) << "the old widgets left with their windows";
    EXPECT_EQ(t0 + 50, panel->getExtentBegin()) << "empty timelines do not change the extent";
    EXPECT_EQ(t0 + 9500, panel->getExtentEnd());
    ASSERT_EQ(3u, panel->lineCount());
    EXPECT_EQ("Empty", panel->lineCheckBox(1)->GetLabel());
    EXPECT_TRUE(panel->lineCheckBox(1)->GetValue());
    panel->setTimelines({&beta});
    EXPECT_EQ(8, panel->model().listenerCount());
}

TEST_F(panelFixture, refreshReturnsToTheStartUpViewAndIncludesEveryLine)
{
    panel->setTimelines({&alpha, &beta});
    panel->zoomIn();
    panel->applyLineStates({{"Alpha", false}});
    EXPECT_FALSE(panel->lineRow(0)->isIncluded());
    panel->setTimelines({&alpha, &beta});
    EXPECT_EQ(t0, state().viewBegin);
    EXPECT_EQ(t0 + 10000, state().viewEnd);
    EXPECT_EQ(t0 + 1000, state().selectionBegin);
    EXPECT_TRUE(panel->lineRow(0)->isIncluded());
    EXPECT_TRUE(panel->lineCheckBox(0)->GetValue());
}

TEST_F(panelFixture, zoomKeepsTheMiddleAndClampsTheSelection)
{
    panel->zoomIn();
    EXPECT_EQ(t0 + 2500, state().viewBegin);
    EXPECT_EQ(t0 + 7500, state().viewEnd);
    EXPECT_EQ(t0 + 2500, state().selectionBegin);
    EXPECT_EQ(t0 + 6000, state().selectionEnd);
    panel->zoomOut();
    EXPECT_DOUBLE_EQ(t0, state().viewBegin);
    EXPECT_DOUBLE_EQ(t0 + 10000, state().viewEnd);
    EXPECT_EQ(t0 + 2500, state().selectionBegin) << "the selection stays clamped";

    // A selection wholly in the left quarter collapses onto the new begin.
    setSelection(t0 + 100, t0 + 2000);
    panel->zoomIn();
    EXPECT_EQ(state().viewBegin, state().selectionBegin);
    EXPECT_EQ(state().viewBegin, state().selectionEnd);
}

TEST_F(panelFixture, zoomToSelectionShowsExactlyTheSelection)
{
    setSelection(t0 - 500, t0 + 20000); // beyond the view on both sides
    panel->zoomToSelection();
    EXPECT_EQ(t0 - 500, state().viewBegin);
    EXPECT_EQ(t0 + 20000, state().viewEnd);
}

TEST_F(panelFixture, zoomAnnouncesThePreviousState)
{
    displaySpy spy(panel->model());
    panel->zoomIn();
    ASSERT_EQ(1, spy.calls());
    EXPECT_EQ(t0, spy.previous[0].viewBegin);
    EXPECT_EQ(t0 + 1000, spy.previous[0].selectionBegin);
}

TEST_F(panelFixture, selectedRecordingsComeLineByLineFromIncludedLines)
{
    panel->setTimelines({&beta, &alpha});
    setSelection(t0, t0 + 10000);
    recordingList out;
    panel->selectedRecordings(out);
    EXPECT_EQ((std::vector<std::string>{"b1", "b2", "a1", "a2"}), labels(out));

    panel->applyLineStates({{"Beta", false}});
    out.clear();
    panel->selectedRecordings(out);
    EXPECT_EQ((std::vector<std::string>{"a1", "a2"}), labels(out));

    panel->applyLineStates({{"Beta", false}, {"Alpha", false}});
    recordingList untouched = {nullptr};
    panel->selectedRecordings(untouched);
    EXPECT_EQ(1u, untouched.size());
}

TEST_F(panelFixture, lineStatesRoundTripAndDefaultToIncluded)
{
    fakeTimeline alphaAgain{"Alpha"};
    panel->setTimelines({&alpha, &beta, &alphaAgain});
    panel->applyLineStates({{"Beta", false}, {"Gone", false}});
    EXPECT_TRUE(panel->lineRow(0)->isIncluded()) << "a line missing from the map is included";
    EXPECT_FALSE(panel->lineRow(1)->isIncluded());
    EXPECT_FALSE(panel->lineCheckBox(1)->GetValue());

    panel->lineRow(2)->setIncluded(false);
    std::map<std::string, bool> collected = {{"stale", true}};
    panel->collectLineStates(collected);
    EXPECT_EQ((std::map<std::string, bool>{{"Alpha", false}, {"Beta", false}}), collected)
        << "the later of two lines with one name wins";
}

TEST_F(panelFixture, namesWithAmpersandsStayNames)
{
    fakeTimeline billing{"Billing & Accounts"};
    panel->setTimelines({&billing});
    EXPECT_EQ("Billing & Accounts", panel->lineCheckBox(0)->GetLabelText());
    panel->applyLineStates({{"Billing & Accounts", false}});
    EXPECT_FALSE(panel->lineRow(0)->isIncluded());
    std::map<std::string, bool> collected;
    panel->collectLineStates(collected);
    EXPECT_EQ((std::map<std::string, bool>{{"Billing & Accounts", false}}), collected);
}

TEST_F(panelFixture, checkBoxClicksIncludeAndExcludeRows)
{
    panel->setTimelines({&alpha, &beta});
    wxCheckBox* box = panel->lineCheckBox(1);
    box->SetValue(false);
    wxCommandEvent click(wxEVT_CHECKBOX, box->GetId());
    click.SetEventObject(box);
    click.SetInt(0);
    box->ProcessWindowEvent(click);
    EXPECT_FALSE(panel->lineRow(1)->isIncluded());
    EXPECT_TRUE(panel->lineRow(0)->isIncluded());
}

TEST_F(panelFixture, manyLinesScrollUnderFixedBarsAndStayAligned)
{
    std::vector<fakeTimeline> many;
    many.reserve(40);
    std::vector<const timeline*> lines;
    for (int i = 1; i <= 40; ++i) {
        many.emplace_back("Line " + std::to_string(i));
        many.back().add(t0 + 100 * i, t0 + 100 * i + 50, std::to_string(i));
        lines.push_back(&many.back());
    }
    panel->setTimelines(lines);
    frame->Layout();
    wxTheApp->Yield(true);
    wxScrolledWindow* scroller = panel->lineScroller();
    ASSERT_NE(nullptr, scroller);
    ASSERT_LT(scroller->GetClientSize().y, scroller->GetVirtualSize().y) << "40 lines do not fit in 400 pixels";

    // Turning the wheel over a row scrolls the lines until the last one shows.
    vSingleTimeline* last = panel->lineRow(39);
    for (int turn = 0; turn < 100 && last->GetPosition().y + last->GetSize().y > scroller->GetClientSize().y; ++turn) {
        wxMouseEvent wheel(wxEVT_MOUSEWHEEL);
        wheel.m_wheelRotation = -120;
        wheel.m_wheelDelta = 120;
        wheel.m_linesPerAction = 3;
        panel->lineRow(0)->ProcessWindowEvent(wheel);
        wxTheApp->Yield(true);
    }
    EXPECT_GT(scroller->GetViewStart().y, 0);
    EXPECT_GE(last->GetPosition().y, 0);
    EXPECT_LE(last->GetPosition().y + last->GetSize().y, scroller->GetClientSize().y) << "line 40 is in sight";
    // Its check box stands beside it.
    wxCheckBox* box = panel->lineCheckBox(39);
    const int rowMiddle = last->GetPosition().y + last->GetSize().y / 2;
    EXPECT_LE(std::abs(box->GetPosition().y + box->GetSize().y / 2 - rowMiddle), 1);

    // The bars stay where they were, and the rows still span exactly the
    // columns of the scale above them.
    wxWindow* scale = nullptr;
    for (wxWindow* w : scroller->GetParent()->GetChildren())
        if (dynamic_cast<vTimeScale*>(w))
            scale = w;
    ASSERT_NE(nullptr, scale);
    EXPECT_EQ(scale->GetScreenPosition().x, last->GetScreenPosition().x);
    EXPECT_EQ(scale->GetSize().x, last->GetSize().x);
    EXPECT_LT(scale->GetScreenPosition().y, scroller->GetScreenPosition().y);
}

TEST_F(panelFixture, rowKeysMoveTheViewToTheCallsOfIncludedLines)
{
    panel->setTimelines({&alpha, &beta});
    panel->applyLineStates({{"Beta", false}}); // Beta's earlier and later calls do not count
    auto key = [&](int code, bool control = false) {
        wxKeyEvent event(wxEVT_KEY_DOWN);
        event.m_keyCode = code;
        event.SetControlDown(control);
        panel->lineRow(1)->ProcessWindowEvent(event);
        return std::make_pair(state().viewBegin - t0, state().viewEnd - t0);
    };
    using view = std::pair<double, double>;
    EXPECT_EQ(view(1000, 11000), key(WXK_RIGHT));
    EXPECT_EQ(view(1000, 11000), key(WXK_LEFT, true)) << "not the panel's";
    EXPECT_EQ(view(100, 10100), key(WXK_HOME));
    EXPECT_EQ(view(-4900, 5100), key(WXK_END));
    EXPECT_EQ(t0 + 1000, state().selectionBegin);
}

TEST_F(panelFixture, highlightReachesRowsOfLaterRebuilds)
{
    panel->setHighlight([](const recording& r) { return r.label() == "a2"; });
    panel->setTimelines({&alpha});
    wxBitmap bitmap(wxSize(1000, 20), 24);
    {
        wxMemoryDC dc(bitmap);
        panel->lineRow(0)->draw(dc, wxSize(1000, 20));
    }
    const wxImage image = bitmap.ConvertToImage(); // a2 over columns 500..510, selected
    EXPECT_EQ(wxColour(255, 230, 0), wxColour(image.GetRed(505, 17), image.GetGreen(505, 17), image.GetBlue(505, 17)));
}
