// Full paint of one channel row, 1,600 pixels wide, with many recordings in
// view (catalogs already loaded), without and with a highlight of every tenth
// call. Run under Xvfb: xvfb-run -a build/bench/rowBench
#include <algorithm>
#include <cstdio>

#include <wx/app.h>
#include <wx/dcmemory.h>
#include <wx/frame.h>
#include <wx/init.h>

#include "bench/benchSupport.h"
#include "display/vSingleTimeline.h"

namespace {
class benchApp : public wxApp {
public:
    bool OnInit() override { return true; }
};

// Recordings spread evenly over [0, span) seconds after a fixed instant.
class memoryTimeline : public timeline {
public:
    memoryTimeline(int count, double span)
    {
        records.resize(count);
        for (int i = 0; i < count; ++i) {
            double start = origin + span * i / count;
            records[i].start = wxDateTime(static_cast<time_t>(start));
            records[i].end = wxDateTime(static_cast<time_t>(start + span / count * 0.7 + 1));
            records[i].properties["label"] = "+49 30 " + std::to_string(1000000 + i);
            records[i].properties["filename"] = "/archive/x.wav";
        }
    }
    double getStart() const override { return origin; }
    double getEnd() const override { return origin + 1e9; }
    bool isEmpty() const override { return false; }
    std::string getName() const override { return "bench"; }
    recordingList getRecordings(double from, double to) const override
    {
        recordingList out;
        for (const recording& r : records) {
            double s = static_cast<double>(r.start.GetTicks()), e = static_cast<double>(r.end.GetTicks());
            if (to > s && from < e)
                out.push_back(&r);
        }
        return out;
    }
    static constexpr double origin = 1700000000;
    std::vector<recording> records;
};

// paintPerPlainBefore: paint / plain as this bench measured it (Debug build,
// 2 cores, Xvfb) when the row still drew each call as a box, touching ones
// merged into runs, before it shaded its columns by their recorded share.
void run(wxFrame* frame, int count, double span, double paintPerPlainBefore)
{
    memoryTimeline line(count, span);
    const double begin = memoryTimeline::origin;
    displayModel model(vTimelineDisplayState{begin + span * 0.25, begin + span * 0.5, begin, begin + span});
    vSingleTimeline* row = new vSingleTimeline(frame, &line, model);
    const wxSize size(1600, 20);
    wxBitmap bitmap(size, 24);
    wxMemoryDC dc(bitmap);
    double query = medianSeconds(9, [&] { line.getRecordings(begin, begin + span); });
    double paint = medianSeconds(9, [&] { row->draw(dc, size); });
    // Baseline: the same number of plain rectangles, no labels, no queries.
    double plain = medianSeconds(9, [&] {
        dc.SetPen(*wxTRANSPARENT_PEN);
        dc.SetBrush(*wxGREEN_BRUSH);
        for (int i = 0; i < count; ++i)
            dc.DrawRectangle(static_cast<int>(1600.0 * i / count), 0, 2, 19);
    });
    std::printf("%6d recordings over %8.0f s: paint median %8.3f ms (%.2f us per box); plain rectangles %.3f ms "
                "(paint / plain = %.2f); of it the timeline query %.3f ms\n",
                count, span, paint * 1e3, paint * 1e6 / count, plain * 1e3, paint / plain, query * 1e3);
    std::printf("%6s against the paint of boxes before the columns were shaded (then %.2f of plain): %.2fx\n", "",
                paintPerPlainBefore, paint / plain / paintPerPlainBefore);
    // A find's matcher as cheap as one can be: the label's last digit.
    row->setHighlight([](const recording& r) {
        const std::string label = r.label();
        return !label.empty() && label.back() == '0';
    });
    double highlighted = medianSeconds(9, [&] { row->draw(dc, size); });
    row->setHighlight(nullptr);
    double again = medianSeconds(9, [&] { row->draw(dc, size); });
    std::printf("%6s highlighted paint median %8.3f ms, without %8.3f ms (measured again: %.3f ms); "
                "highlighted / without = %.2f\n",
                "", highlighted * 1e3, paint * 1e3, again * 1e3, highlighted / std::min(paint, again));
    row->Destroy(); // at once (a child window), before the model goes
}
}

wxIMPLEMENT_APP_NO_MAIN(benchApp);

int main(int argc, char** argv)
{
    if (!wxEntryStart(argc, argv)) {
        std::fprintf(stderr, "rowBench needs a display (run it under xvfb-run)\n");
        return 1;
    }
    wxTheApp->CallOnInit();
    wxFrame* frame = new wxFrame(nullptr, wxID_ANY, "bench");
    run(frame, 50000, 30 * 86400.0, 0.67); // a zoomed-out month of a very busy line
    run(frame, 500, 86400.0, 1.84);         // a day
    run(frame, 20, 3600.0, 51.5);           // an hour: wide boxes, labels measured and drawn
    frame->Destroy();
    wxEntryCleanup();
    return 0;
}
