#pragma once
// The find panel, docked under the tool bar: a query for the callers' numbers
// (or any label), where to look, the lengths wanted, and the list of the calls
// found. The search runs on its own thread and the list fills while it runs;
// choosing a call in the list shows it in the rows with the hour around it
// and makes it the selection, so the Selection commands act on it. While the
// panel is open the rows show matching calls highlighted and the overview bar
// marks where the hits lie.
#include <memory>
#include <vector>

#include <wx/panel.h>
#include <wx/timer.h>

#include "core/settings.h"
#include "display/displayState.h"
#include "recdb/callMatch.h"
#include "recdb/callSearch.h"

class orvistaSession;
class vTimeline;
class wxButton;
class wxCheckBox;
class wxChoice;
class wxGauge;
class wxListCtrl;
class wxListEvent;
class wxStaticText;
class wxTextCtrl;
class hitList;

// The view that shows a call of [start, end] with context: the hour around
// it, or the call and half its length either side when it is longer.
vTimelineDisplayState callInContext(double start, double end);

class findPanel : public wxPanel {
public:
    // Starts hidden, with the query and options the settings remember.
    findPanel(wxWindow* parent, orvistaSession& session, vTimeline& timelines);
    ~findPanel() override;

    // Shows or hides the panel (the parent lays itself out again). Hidden, the
    // rows lose their highlight and any search stops.
    void setOpen(bool open);
    bool isOpen() const { return IsShown(); }
    // Whether it was open at some time in this run.
    bool wasOpened() const { return opened; }
    // Searches as the fields say; false (with the reason in the status) when
    // a field cannot be read.
    bool start();
    // Stops the search and waits for it.
    void stop();
    bool isSearching() const { return search != nullptr; }

    // Around a reload: the hits point into the lines that go, so they go
    // first; afterwards a search that ran is run again on the new lines.
    void forgetLines();
    void linesReplaced();

    // What the settings keep of the panel.
    findSettings values() const;

    // The calls in list order, and one of them shown and selected.
    std::size_t hitCount() const { return order.size(); }
    const callHit& hitAt(std::size_t row) const { return hits[order[row]]; }
    void showHit(std::size_t row);

    // For tests.
    wxTextCtrl* queryField() const { return query; }
    wxListCtrl* resultList() const;
    wxString statusText() const;
    // Waits (handling events) until the search has finished.
    void waitForSearch();

private:
    void takeHits();
    void finish();
    void sortHits();
    void updateStatus();
    void setHighlight(bool on);
    void copyResults();
    void exportResults();
    std::vector<callHit> hitsInListOrder() const;

    void onTimer(wxTimerEvent& event);
    void onCharHook(wxKeyEvent& event);
    void onActivated(wxListEvent& event);
    void onColumn(wxListEvent& event);

    orvistaSession& session;
    vTimeline& timelines;

    wxTextCtrl* query = nullptr;
    wxChoice* where = nullptr;
    wxCheckBox* includedOnly = nullptr;
    wxTextCtrl* shortest = nullptr;
    wxTextCtrl* longest = nullptr;
    wxButton* findButton = nullptr;
    wxButton* cancelButton = nullptr;
    wxButton* copyButton = nullptr;
    wxButton* exportButton = nullptr;
    wxGauge* gauge = nullptr;
    wxStaticText* status = nullptr;
    hitList* list = nullptr;

    std::unique_ptr<callSearch> search;
    callFilter filter;       // of the last search started
    bool opened = false;
    bool searched = false;   // a search was started on these lines
    bool stopped = false;    // the last search was cancelled
    std::size_t unreadable = 0;
    std::vector<callHit> hits;      // in the order they were found: by start
    std::vector<std::size_t> order; // list row to hit
    std::vector<double> hitStarts;  // of the hits, for the overview bar
    std::size_t marked = 0;         // how many of them it has
    int sortColumn = 1;             // start
    bool ascending = true;
    wxTimer timer;
};
