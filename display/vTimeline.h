#pragma once
// The timeline panel: owns the display model, holds one line per channel, and
// builds every display widget: the four time selectors with their captions, the
// overview bar, the scale, the selection bar and, per line, a check box and a
// channel row. A rebuild destroys the widgets (which leave the model with
// them) and makes new ones on the start-up state. With a row focused, the
// arrow keys pan the view and Home and End go to the first and last call of
// the included lines.
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <wx/datetime.h>
#include <wx/panel.h>
#include <wx/timer.h>

#include "display/displayModel.h"

#include "recdb/timeline.h"

class wxCheckBox;
class wxFlexGridSizer;
class wxScrolledWindow;
class wxSizerItem;
class vSingleTimeline;
class vTimeWindow;

class vTimeline : public wxPanel {
public:
    // `initial` becomes the view and selection at every build of the children.
    vTimeline(wxWindow* parent, const vTimelineDisplayState& initial);
    ~vTimeline() override;

    // Replaces the lines (not owned: the caller keeps them alive until the next
    // call) and rebuilds all children; the view and selection return to their
    // start-up values and every line is included.
    void setTimelines(const std::vector<const timeline*>& lines);
    // Appends, line by line, the recordings of the included lines that overlap
    // the selection.
    void selectedRecordings(recordingList& out) const;
    // The lines whose rows are included, in row order (whose recordings
    // selectedRecordings collects).
    std::vector<const timeline*> includedLines() const;
    // Where the panel learns that more days were read: a count that grows with
    // every catalog read. While some row waits for days, the panel looks at it
    // every 50 ms and paints the waiting rows again when it grew.
    void watchArrivals(std::function<unsigned()> arrivals);
    // Whether some row's last paint lacked days still being read.
    bool isWaitingForRecordings() const;
    // After the lines' recordings changed (`all`), or only what was being
    // read was withdrawn: the rows concerned are painted again, and ask for
    // what they lack. The view and the selection stay.
    void recordingsChanged(bool all);
    void zoomIn();
    void zoomOut();
    void zoomToSelection();
    // Line name (as on its check box) to its included flag; with several lines
    // of one name the later one wins.
    void collectLineStates(std::map<std::string, bool>& lineStates) const;
    // Sets each line's included flag from the map; lines not in it are included.
    void applyLineStates(const std::map<std::string, bool>& lineStates);
    const vTimelineDisplayState* displayState() const { return &display.state(); }
    // The calls `matches` accepts are drawn yellow in every row, also in rows
    // of later rebuilds; an empty function highlights none. It is asked at
    // every paint for the calls in view (up to a call per box), so it should
    // be about as cheap as reading the call's label.
    void setHighlight(std::function<bool(const recording&)> matches);
    // Marks on the overview bar at the start of each hit (seconds); empty for
    // none. Kept for rows and bars of later rebuilds too.
    void setHitMarks(std::vector<double> hitStarts);

    // For tests and benches: the model the widgets show.
    displayModel& model() { return display; }
    double getExtentBegin() const { return extentBegin; }
    double getExtentEnd() const { return extentEnd; }
    size_t lineCount() const { return lines.size(); }
    wxCheckBox* lineCheckBox(size_t i) const { return lines[i].checkBox; }
    vSingleTimeline* lineRow(size_t i) const { return lines[i].row; }
    // The scrolled area that holds the check boxes and rows.
    wxScrolledWindow* lineScroller() const { return lineArea; }

private:
    struct lineEntry {
        const timeline* line;
        wxCheckBox* checkBox;
        vSingleTimeline* row;
    };

    void buildChildren();
    void onCheckBox(wxCommandEvent& event);
    void onLineWheel(wxMouseEvent& event);
    void onRowKey(wxKeyEvent& event);
    void onLineAreaSize(wxSizeEvent& event);
    void onArrivalTimer(wxTimerEvent& event);
    void rowWaiting();

    displayModel display;
    std::vector<lineEntry> lines;
    double extentBegin = 0;
    double extentEnd = 1;
    wxPanel* innerPanel = nullptr;
    wxFlexGridSizer* grid = nullptr;
    wxScrolledWindow* lineArea = nullptr;
    wxSizerItem* scrollbarGap = nullptr;
    vTimeWindow* overview = nullptr;
    std::function<bool(const recording&)> highlight;
    std::shared_ptr<const std::vector<double>> hitMarks;
    const vTimelineDisplayState initialState;
    wxTimer arrivalTimer;
    std::function<unsigned()> arrivalCount;
    unsigned arrivalsSeen = 0;
    // Waiting rows are painted in batches (see onArrivalTimer): where the
    // next batch begins, the arrivals the present round of batches shows,
    // when the last batch was asked for and how long its rows took before.
    std::size_t arrivalCursor = 0;
    unsigned roundArrivals = 0;
    std::chrono::steady_clock::time_point lastArrivalPaint;
    double lastBatchSeconds = 0;
    unsigned arrivalsAtLastTick = 0;
};
