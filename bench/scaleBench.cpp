// Benchmark of the time scale's paint (row layout and drawing) into a memory
// bitmap 1,600 pixels wide: an ordinary one-day view against a view of 10^12
// seconds, whose years and months rows span tens of thousands of years.
// Needs a display: run under xvfb-run.
//
//   scaleBench [RUNS]
#include <cstdio>
#include <cstdlib>

#include <wx/app.h>
#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/frame.h>
#include <wx/init.h>

#include "bench/benchSupport.h"
#include "display/vTimeScale.h"

namespace {
class benchApp : public wxApp {
public:
    bool OnInit() override { return true; }
};
}

wxIMPLEMENT_APP_NO_MAIN(benchApp);

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 51;
    if (!wxEntryStart(argc, argv)) {
        std::fprintf(stderr, "cannot start wxWidgets: is there a display (run under xvfb-run)?\n");
        return 1;
    }
    wxTheApp->CallOnInit();
    int result = 0;
    {
        wxFrame* frame = new wxFrame(nullptr, wxID_ANY, "scaleBench");
        displayModel model;
        vTimeScale* scale = new vTimeScale(frame, model);
        const wxSize size(1600, 40);
        wxBitmap bitmap(size.GetWidth(), size.GetHeight(), 24);

        auto paintMs = [&](double begin, double end, size_t& ticks) {
            model.setView(begin, end);
            double median = medianSeconds(runs, [&] {
                wxMemoryDC dc(bitmap);
                dc.SetFont(scale->GetFont());
                scale->draw(dc, size);
            });
            ticks = scale->row(0).ticks.size() + scale->row(1).ticks.size();
            return median * 1e3;
        };
        const double day = 1700000000; // 2023-11-14 22:13:20 UTC
        size_t dayTicks = 0, hugeTicks = 0;
        const double dayMs = paintMs(day, day + 86400, dayTicks);
        const double hugeMs = paintMs(day - 5e11, day + 5e11, hugeTicks);
        std::printf("one-day view:    median %.3f ms per paint (%zu ticks)\n", dayMs, dayTicks);
        std::printf("10^12 s view:    median %.3f ms per paint (%zu ticks)\n", hugeMs, hugeTicks);
        std::printf("ratio huge/day:  %.2f (%d runs each)\n", hugeMs / dayMs, runs);
        scale->Destroy(); // at once (a child window), before the model goes
        frame->Destroy();
    }
    wxEntryCleanup();
    return result;
}
