// The display's pixel sizes at 100 %, 150 % and 200 %.
#include <gtest/gtest.h>

#include <iterator>

#include <wx/frame.h>

#include "display/displayMetrics.h"

TEST(displayMetrics, everySizeScalesOnceAndRoundsLikeFromDIP)
{
    typedef displayMetrics M;
    const struct {
        int M::*size;
        int at1, at15, at2;
    } sizes[] = {{&M::rowMinWidth, 400, 600, 800},    {&M::rowHeight, 20, 30, 40},     {&M::boundGrab, 3, 5, 6},
                 {&M::scaleMinWidth, 500, 750, 1000}, {&M::scaleRowHeight, 20, 30, 40}, {&M::tickLength, 18, 27, 36},
                 {&M::tickLabelX, 1, 2, 2},           {&M::tickLabelY, 2, 3, 4},        {&M::unitNameGap, 5, 8, 10},
                 {&M::labelGap, 6, 9, 12},            {&M::spanHeight, 17, 26, 34},     {&M::markerSize, 7, 11, 14},
                 {&M::overviewSize, 20, 30, 40},      {&M::endReach, 1, 2, 2}};
    // A size added to the struct but not to this table fails here.
    ASSERT_EQ(sizeof(M) / sizeof(int), std::size(sizes));

    // Where the toolkit scales by itself (GTK) a window keeps the 96-DPI sizes;
    // elsewhere it has those of its monitor's scale factor.
    wxFrame* frame = new wxFrame(nullptr, wxID_ANY, "metrics");
    const M window = M::forWindow(*frame);
#ifdef wxHAS_DPI_INDEPENDENT_PIXELS
    const M windowExpected;
#else
    const M windowExpected = M::forScale(frame->GetDPIScaleFactor());
#endif
    frame->Destroy();
    const M plain, at1 = M::forScale(1), at15 = M::forScale(1.5), at2 = M::forScale(2);
    for (size_t i = 0; i < std::size(sizes); ++i) {
        const auto& s = sizes[i];
        EXPECT_EQ(s.at1, plain.*s.size) << "size " << i;
        EXPECT_EQ(windowExpected.*s.size, window.*s.size) << "size " << i;
        EXPECT_EQ(s.at1, at1.*s.size) << "size " << i;
        EXPECT_EQ(s.at15, at15.*s.size) << "size " << i;
        EXPECT_EQ(s.at2, at2.*s.size) << "size " << i;
    }
}
