// The time scale widget: what it paints. (When it repaints: repaintTest.cpp.)
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/frame.h>
#include <wx/image.h>

#include "display/vTimeScale.h"
#include "support/guiSupport.h"

namespace {
class scaleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        frame = new wxFrame(nullptr, wxID_ANY, "scale", wxDefaultPosition, wxSize(700, 200));
        scale = new vTimeScale(frame, model);
    }
    void TearDown() override { destroyNow(frame); }

    wxImage paint(int width, int height, const displayMetrics& sizes = displayMetrics())
    {
        wxBitmap bitmap(width, height, 24);
        {
            wxMemoryDC dc(bitmap);
            dc.SetFont(scale->GetFont());
            scale->draw(dc, wxSize(width, height), sizes);
        }
        return bitmap.ConvertToImage();
    }

    static bool isColour(const wxImage& image, int x, int y, unsigned char value)
    {
        return image.GetRed(x, y) == value && image.GetGreen(x, y) == value && image.GetBlue(x, y) == value;
    }

    wxFrame* frame = nullptr;
    // 2021-06-01 00:00 to 2021-06-03 00:00 CEST: days over hours, the 2nd at the middle.
    displayModel model{vTimelineDisplayState{1622498400 + 3600, 1622498400 + 7200, 1622498400, 1622498400 + 2 * 86400}};
    vTimeScale* scale = nullptr;
};
}

TEST_F(scaleTest, hasItsMinimumSize)
{
    EXPECT_EQ(wxSize(500, 40), scale->GetMinSize());
    EXPECT_EQ("panel", scale->GetName());
    EXPECT_TRUE(scale->HasFlag(wxFULL_REPAINT_ON_RESIZE));
}

TEST_F(scaleTest, paintsRulesAndTicksInWhiteOnBlack)
{
    const int width = 600;
    wxImage image = paint(width, 40);

    // The two rules run across the full width.
    for (int x : {0, 1, width / 2, width - 1}) {
        EXPECT_TRUE(isColour(image, x, 0, 255)) << x;
        EXPECT_TRUE(isColour(image, x, 20, 255)) << x;
    }
    // The tick of the 2nd of June, in the middle of the top row: 18 pixels down from the row's top.
    ASSERT_EQ(unitDays, scale->row(0).unit);
    ASSERT_EQ(1u, scale->row(0).ticks.size());
    ASSERT_EQ(300, scale->row(0).ticks[0].x);
    for (int y = 1; y < 18; ++y)
        EXPECT_TRUE(isColour(image, 300, y, 255)) << y;
    EXPECT_TRUE(isColour(image, 300, 18, 0));
    EXPECT_TRUE(isColour(image, 300, 19, 0));
    EXPECT_TRUE(isColour(image, 299, 10, 0)); // left of the line, the previous label is far away
    // Its label "2" right of the line, in white: grey levels only, some of them bright.
    int brightest = 0;
    for (int x = 301; x < 330; ++x)
        for (int y = 2; y < 19; ++y) {
            EXPECT_TRUE(image.GetRed(x, y) == image.GetGreen(x, y) && image.GetGreen(x, y) == image.GetBlue(x, y));
            brightest = std::max<int>(brightest, image.GetRed(x, y));
        }
    EXPECT_GT(brightest, 200);

    // Hours below: every tick right of the unit name has its line from y = 20 to 37.
    ASSERT_EQ(unitHours, scale->row(1).unit);
    ASSERT_FALSE(scale->row(1).ticks.empty());
    const scaleTick& last = scale->row(1).ticks.back();
    EXPECT_TRUE(isColour(image, last.x, 37, 255));
    EXPECT_TRUE(isColour(image, last.x, 38, 0));
    EXPECT_TRUE(isColour(image, last.x - 1, 30, 0));
    // Background in the bottom-right corner, right of the last label.
    EXPECT_TRUE(isColour(image, width - 1, 39, 0));
    EXPECT_TRUE(isColour(image, width - 1, 19, 0));
}

TEST_F(scaleTest, rowsAndTicksFollowTheScaledSizes)
{
    for (double factor : {1.0, 1.5, 2.0}) {
        const displayMetrics sizes = displayMetrics::forScale(factor);
        const int row = sizes.scaleRowHeight, tick = sizes.tickLength;
        wxImage image = paint(600, 2 * row, sizes);
        // The rule between the rows stays one pixel thick.
        EXPECT_TRUE(isColour(image, 599, row - 1, 0)) << factor;
        EXPECT_TRUE(isColour(image, 599, row, 255)) << factor;
        EXPECT_TRUE(isColour(image, 599, row + 1, 0)) << factor;
        // The 2nd of June on top and the last hour below reach `tick` pixels down their rows.
        ASSERT_FALSE(scale->row(1).ticks.empty());
        for (auto [x, top] : {std::pair{300, 0}, std::pair{scale->row(1).ticks.back().x, row}}) {
            EXPECT_TRUE(isColour(image, x, top + tick - 1, 255)) << factor << " at " << x;
            EXPECT_TRUE(isColour(image, x, top + tick, 0)) << factor << " at " << x;
        }
    }
}

TEST_F(scaleTest, ticksUnderTheUnitNameAreNotDrawn)
{
    // Minutes over seconds from 00:00: the first ticks of every 30 seconds
    // fall under the unit name "seconds".
    model.setView(1622498400, 1622498400 + 3600);
    const int width = 500;
    wxImage image = paint(width, 40);
    ASSERT_EQ(unitSeconds, scale->row(1).unit);
    int hidden = 0;
    for (const scaleTick& tick : scale->row(1).ticks)
        if (tick.x < 12) { // left of any letter of the name at 8 points
            ++hidden;
            for (int y = 34; y < 38; ++y) // below the name's glyphs
                EXPECT_TRUE(isColour(image, tick.x, y, 0)) << tick.x << "," << y;
        }
    EXPECT_GT(hidden, 0);
}

TEST_F(scaleTest, paintsOnScreenWithoutTrouble)
{
    // Absurd views must paint promptly, too.
    frame->Show();
    yieldUntil([&] { return scale->IsShownOnScreen(); });
    for (auto [b, e] : {std::pair<double, double>{-1e35, 1e35}, {1.6e9 - 5e11, 1.6e9 + 5e11}, {-1, -1}}) {
        model.setView(b, e);
        scale->Update();
        wxImage image = paint(1600, 40);
        EXPECT_TRUE(isColour(image, 1599, 20, 255));
    }
    EXPECT_EQ(0, scale->timeToX(123)); // zero-length view
}
