#include "app/findPanel.h"

#include <algorithm>
#include <map>

#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/clipbrd.h>
#include <wx/filedlg.h>
#include <wx/gauge.h>
#include <wx/listctrl.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include "core/orvistaSession.h"
#include "display/vTimeline.h"
#include "platform/fileReplace.h"
#include "platform/narrow.h"
#include "recdb/callListing.h"
#include "recdb/timeValue.h"

namespace {
const char* const queryRule =
    "Numbers or labels to find, separated by commas: any of them may match.\n"
    "* stands for any run of characters, ? for one; a leading ! excludes (0301234*, !*999).\n"
    "A pattern matches the whole label, letters in either case. Digits match however the\n"
    "number is written: blanks, dashes, dots, slashes and brackets do not count and a\n"
    "leading + is 00, so +49 30 123 finds 004930123.";

// A length field: empty is no bound; otherwise whole seconds.
bool readLength(wxTextCtrl* field, long& seconds)
{
    const wxString text = field->GetValue().Strip(wxString::both);
    seconds = -1;
    if (text.empty())
        return true;
    return text.ToLong(&seconds) && seconds >= 0;
}

wxString lengthField(long seconds)
{
    return seconds >= 0 ? wxString::Format("%ld", seconds) : wxString();
}
}

vTimelineDisplayState callInContext(double start, double end)
{
    const double hour = 3600;
    const double length = end - start;
    const double span = length * 2 > hour ? length * 2 : hour;
    const double middle = start + length / 2;
    vTimelineDisplayState shown;
    shown.viewBegin = middle - span / 2;
    shown.viewEnd = middle + span / 2;
    shown.selectionBegin = start;
    shown.selectionEnd = end;
    return shown;
}

// The list asks for the text of the rows it shows, so a hundred thousand hits
// cost no more than a screenful.
class hitList : public wxListCtrl {
public:
    hitList(wxWindow* parent, const findPanel& owner_)
        : wxListCtrl(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                     wxLC_REPORT | wxLC_VIRTUAL | wxLC_SINGLE_SEL | wxLC_HRULES | wxLC_VRULES, wxDefaultValidator,
                     "findResults"),
          owner(owner_)
    {
        const int widths[] = {130, 150, 150, 70, 170, 300};
        const std::vector<std::string>& titles = callColumnTitles();
        for (std::size_t c = 0; c < titles.size(); ++c)
            AppendColumn(titles[c], c == 3 ? wxLIST_FORMAT_RIGHT : wxLIST_FORMAT_LEFT, FromDIP(widths[c]));
    }

    wxString OnGetItemText(long item, long column) const override
    {
        if (item < 0 || static_cast<std::size_t>(item) >= owner.hitCount())
            return wxString();
        std::string text = callColumnText(owner.hitAt(static_cast<std::size_t>(item)), static_cast<callColumn>(column));
        if (column == static_cast<long>(callColumn::file)) {
            // The name first: the folder is the same for a day's calls.
            const std::size_t slash = text.find_last_of("/\\");
            if (slash != std::string::npos)
                text = text.substr(slash + 1) + "  (" + text.substr(0, slash) + ")";
        }
        return fromNarrow(text);
    }

private:
    const findPanel& owner;
};

findPanel::findPanel(wxWindow* parent, orvistaSession& session_, vTimeline& timelines_)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "findPanel"),
      session(session_), timelines(timelines_), timer(this)
{
    Hide();
    const findSettings remembered = session.lastFind();

    query = new wxTextCtrl(this, wxID_ANY, remembered.query, wxDefaultPosition, FromDIP(wxSize(220, -1)),
                           wxTE_PROCESS_ENTER, wxDefaultValidator, "findQuery");
    query->SetHint("number or label, e.g. 0301234*, !*999");
    query->SetToolTip(queryRule);
    const wxString places[] = {"in the displayed interval", "in the selection", "in the whole archive"};
    where = new wxChoice(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, 3, places, 0, wxDefaultValidator,
                         "findWhere");
    where->SetSelection(static_cast<int>(remembered.scope));
    includedOnly = new wxCheckBox(this, wxID_ANY, "Included lines only", wxDefaultPosition, wxDefaultSize, 0,
                                  wxDefaultValidator, "findIncludedOnly");
    includedOnly->SetValue(remembered.includedLinesOnly);
    shortest = new wxTextCtrl(this, wxID_ANY, lengthField(remembered.shortest), wxDefaultPosition,
                              FromDIP(wxSize(60, -1)), wxTE_PROCESS_ENTER, wxDefaultValidator, "findShortest");
    longest = new wxTextCtrl(this, wxID_ANY, lengthField(remembered.longest), wxDefaultPosition,
                             FromDIP(wxSize(60, -1)), wxTE_PROCESS_ENTER, wxDefaultValidator, "findLongest");
    shortest->SetToolTip("The shortest call to find, in seconds; empty for any.");
    longest->SetToolTip("The longest call to find, in seconds; empty for any.");
    findButton = new wxButton(this, wxID_ANY, "Find", wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator,
                              "findStart");
    cancelButton = new wxButton(this, wxID_ANY, "Cancel", wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator,
                                "findCancel");
    copyButton = new wxButton(this, wxID_ANY, "Copy results", wxDefaultPosition, wxDefaultSize, 0,
                              wxDefaultValidator, "findCopy");
    exportButton = new wxButton(this, wxID_ANY, "Export results...", wxDefaultPosition, wxDefaultSize, 0,
                                wxDefaultValidator, "findExport");
    wxButton* closeButton = new wxButton(this, wxID_ANY, "Close", wxDefaultPosition, wxDefaultSize, 0,
                                         wxDefaultValidator, "findClose");
    copyButton->SetToolTip("Copy the list as tab-separated text");
    exportButton->SetToolTip("Save the list as a CSV file (UTF-8)");
    cancelButton->Disable();
    gauge = new wxGauge(this, wxID_ANY, 1000, wxDefaultPosition, FromDIP(wxSize(120, 12)), wxGA_HORIZONTAL,
                        wxDefaultValidator, "findProgress");
    gauge->Hide();
    status = new wxStaticText(this, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize, wxST_NO_AUTORESIZE,
                              "findStatus");
    list = new hitList(this, *this);
    list->SetMinSize(FromDIP(wxSize(-1, 160)));

    wxBoxSizer* fields = new wxBoxSizer(wxHORIZONTAL);
    const int gap = FromDIP(6);
    auto add = [&](wxWindow* w, int proportion = 0) {
        fields->Add(w, proportion, wxALIGN_CENTER_VERTICAL | wxRIGHT, gap);
    };
    add(new wxStaticText(this, wxID_ANY, "Find calls:"));
    add(query, 1);
    add(where);
    add(includedOnly);
    add(new wxStaticText(this, wxID_ANY, "length from"));
    add(shortest);
    add(new wxStaticText(this, wxID_ANY, "to"));
    add(longest);
    add(new wxStaticText(this, wxID_ANY, "s"));
    add(findButton);
    add(cancelButton);

    wxBoxSizer* below = new wxBoxSizer(wxHORIZONTAL);
    below->Add(status, 1, wxALIGN_CENTER_VERTICAL | wxRIGHT, gap);
    below->Add(gauge, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, gap);
    below->Add(copyButton, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, gap);
    below->Add(exportButton, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, gap);
    below->Add(closeButton, 0, wxALIGN_CENTER_VERTICAL);

    wxBoxSizer* all = new wxBoxSizer(wxVERTICAL);
    all->Add(fields, 0, wxEXPAND | wxALL, gap);
    all->Add(list, 1, wxEXPAND | wxLEFT | wxRIGHT, gap);
    all->Add(below, 0, wxEXPAND | wxALL, gap);
    SetSizer(all);

    auto startFromEvent = [this](wxCommandEvent&) { start(); };
    query->Bind(wxEVT_TEXT_ENTER, startFromEvent);
    shortest->Bind(wxEVT_TEXT_ENTER, startFromEvent);
    longest->Bind(wxEVT_TEXT_ENTER, startFromEvent);
    findButton->Bind(wxEVT_BUTTON, startFromEvent);
    cancelButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { stop(); });
    copyButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { copyResults(); });
    exportButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { exportResults(); });
    closeButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { setOpen(false); });
    list->Bind(wxEVT_LIST_ITEM_ACTIVATED, &findPanel::onActivated, this);
    list->Bind(wxEVT_LIST_ITEM_SELECTED, &findPanel::onActivated, this);
    list->Bind(wxEVT_LIST_COL_CLICK, &findPanel::onColumn, this);
    Bind(wxEVT_TIMER, &findPanel::onTimer, this);
    Bind(wxEVT_CHAR_HOOK, &findPanel::onCharHook, this);
    updateStatus();
}

findPanel::~findPanel()
{
    timer.Stop();
    search.reset();
}

wxListCtrl* findPanel::resultList() const
{
    return list;
}

wxString findPanel::statusText() const
{
    return status->GetLabel();
}

void findPanel::setOpen(bool open)
{
    if (open == IsShown())
        return;
    if (!open) {
        stop();
        setHighlight(false);
    }
    Show(open);
    if (open) {
        opened = true;
        setHighlight(searched);
        query->SetFocus();
        query->SelectAll();
    }
    GetParent()->Layout();
}

findSettings findPanel::values() const
{
    findSettings v;
    v.query = query->GetValue();
    v.scope = static_cast<findScope>(std::max(0, where->GetSelection()));
    v.includedLinesOnly = includedOnly->GetValue();
    readLength(shortest, v.shortest);
    readLength(longest, v.longest);
    return v;
}

bool findPanel::start()
{
    stop();
    long minimum = -1, maximum = -1;
    if (!readLength(shortest, minimum) || !readLength(longest, maximum)) {
        status->SetLabel("A length must be a whole number of seconds, or empty.");
        return false;
    }
    if (minimum >= 0 && maximum >= 0 && minimum > maximum) {
        status->SetLabel("The shortest length is longer than the longest.");
        return false;
    }

    std::vector<const timeline*> lines;
    if (includedOnly->GetValue()) {
        lines = timelines.includedLines();
    } else {
        for (const auto& line : session.lineTimelines())
            lines.push_back(line.get());
    }
    const vTimelineDisplayState& state = *timelines.displayState();
    double from = state.viewBegin, to = state.viewEnd;
    switch (static_cast<findScope>(where->GetSelection())) {
    case findScope::view:
        break;
    case findScope::selection:
        from = state.selectionBegin;
        to = state.selectionEnd;
        break;
    case findScope::archive: {
        bool any = false;
        for (const timeline* line : lines) {
            if (line->isEmpty())
                continue;
            from = any ? std::min(from, line->getStart()) : line->getStart();
            to = any ? std::max(to, line->getEnd()) : line->getEnd();
            any = true;
        }
        if (!any)
            from = to = 0;
        break;
    }
    }

    filter = callFilter{callQuery(toNarrow(query->GetValue())), static_cast<double>(minimum),
                        static_cast<double>(maximum)};
    hits.clear();
    order.clear();
    hitStarts.clear();
    marked = 0;
    list->SetItemCount(0);
    list->Refresh();
    searched = true;
    stopped = false;
    unreadable = 0;
    setHighlight(true);
    if (to >= from) {
        search = session.findCalls(lines, from, to, filter);
        cancelButton->Enable();
        gauge->SetValue(0);
        gauge->Show();
        timer.Start(100);
    }
    updateStatus();
    Layout();
    return true;
}

void findPanel::stop()
{
    if (!search)
        return;
    finish();
}

void findPanel::waitForSearch()
{
    while (search && !search->finished()) {
        wxMilliSleep(5);
        wxTheApp->Yield(true);
    }
    if (search)
        finish();
}

void findPanel::forgetLines()
{
    const bool wasSearching = search != nullptr;
    stop();
    hits.clear();
    order.clear();
    hitStarts.clear();
    marked = 0;
    list->SetItemCount(0);
    setHighlight(false);
    // A search stopped by the reload counts as one to run again.
    searched = searched || wasSearching;
}

void findPanel::linesReplaced()
{
    if (searched && IsShown())
        start();
    else
        searched = false;
    updateStatus();
}

void findPanel::onTimer(wxTimerEvent&)
{
    if (!search)
        return;
    takeHits();
    if (search->finished())
        finish();
    else
        updateStatus();
}

void findPanel::takeHits()
{
    const std::size_t before = hits.size();
    search->takeHits(hits);
    for (std::size_t i = before; i < hits.size(); ++i)
        order.push_back(i);
    if (hits.size() != before) {
        // Hits come in start order; another order is made once they are all
        // there, as sorting on every arrival would hold up the window.
        if ((sortColumn != static_cast<int>(callColumn::start) || !ascending) && search->finished())
            sortHits();
        list->SetItemCount(static_cast<long>(order.size()));
        list->Refresh();
        for (std::size_t i = before; i < hits.size(); ++i)
            hitStarts.push_back(toSeconds(hits[i].call->start));
    }
    // The overview bar's marks go over all hits: handed over when their number
    // has doubled (and at the end), so millions of hits cost the window a few
    // handovers, not one per tick.
    if (hitStarts.size() != marked && (search->finished() || hitStarts.size() >= 2 * marked + 1000)) {
        timelines.setHitMarks(hitStarts);
        marked = hitStarts.size();
    }
    gauge->SetValue(static_cast<int>(search->progress() * 1000));
}

void findPanel::finish()
{
    timer.Stop();
    if (!search->finished()) {
        // It stops after the catalog it is reading; that is short.
        search->cancel();
        stopped = true;
    }
    search->wait();
    takeHits();
    unreadable = search->unreadableCatalogs().size();
    search.reset();
    cancelButton->Disable();
    gauge->Hide();
    updateStatus();
    Layout();
}

void findPanel::updateStatus()
{
    wxString text;
    const wxString count = wxString::Format("%zu", order.size());
    if (search)
        text = "Searching... " + count + (order.size() == 1 ? " call" : " calls") + " so far";
    else if (!searched)
        text = "Type a number or label and press Enter.";
    else if (stopped)
        text = "Stopped: " + count + (order.size() == 1 ? " call" : " calls") + " found until then.";
    else if (order.empty())
        text = "No call matches.";
    else
        text = count + (order.size() == 1 ? " call found." : " calls found.");
    if (unreadable > 0)
        text += wxString::Format(" %zu %s of that time could not be read.", unreadable,
                                 unreadable == 1 ? "catalog" : "catalogs");
    status->SetLabel(text);
    copyButton->Enable(!order.empty());
    exportButton->Enable(!order.empty());
}

void findPanel::setHighlight(bool on)
{
    if (on) {
        const callFilter matching = filter;
        timelines.setHighlight([matching](const recording& r) { return matching.matches(r); });
        timelines.setHitMarks(hitStarts);
        marked = hitStarts.size();
    } else {
        timelines.setHighlight(std::function<bool(const recording&)>());
        timelines.setHitMarks(std::vector<double>());
    }
}

void findPanel::onColumn(wxListEvent& event)
{
    const int column = event.GetColumn();
    if (column < 0)
        return;
    ascending = column == sortColumn ? !ascending : true;
    sortColumn = column;
    sortHits();
    list->Refresh();
}

void findPanel::sortHits()
{
    // Ties keep the order of the search (by start), so every column sorts
    // calls of one key in time order.
    auto key = [this](std::size_t i) { return hits[i]; };
    const callColumn column = static_cast<callColumn>(sortColumn);
    std::sort(order.begin(), order.end());
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const callHit &x = key(a), &y = key(b);
        auto compare = [&]() -> int {
            switch (column) {
            case callColumn::line:
                return x.line->getName().compare(y.line->getName());
            case callColumn::start:
                return 0; // the search's order
            case callColumn::end:
                return x.call->end < y.call->end ? -1 : (y.call->end < x.call->end ? 1 : 0);
            case callColumn::length: {
                const double lx = toSeconds(x.call->end) - toSeconds(x.call->start);
                const double ly = toSeconds(y.call->end) - toSeconds(y.call->start);
                return lx < ly ? -1 : (ly < lx ? 1 : 0);
            }
            case callColumn::label:
                return x.call->label().compare(y.call->label());
            case callColumn::file:
                return x.call->fileName().compare(y.call->fileName());
            }
            return 0;
        };
        const int c = compare();
        return ascending ? c < 0 : c > 0;
    });
    if (column == callColumn::start && !ascending)
        std::reverse(order.begin(), order.end());
}

void findPanel::onActivated(wxListEvent& event)
{
    if (event.GetIndex() >= 0)
        showHit(static_cast<std::size_t>(event.GetIndex()));
}

void findPanel::showHit(std::size_t row)
{
    if (row >= order.size())
        return;
    const callHit& hit = hitAt(row);
    // The Selection commands act on included lines: a call found on an
    // excluded line takes its line in.
    const std::vector<const timeline*> included = timelines.includedLines();
    if (std::find(included.begin(), included.end(), hit.line) == included.end()) {
        std::map<std::string, bool> states;
        timelines.collectLineStates(states);
        states[hit.line->getName()] = true;
        timelines.applyLineStates(states);
    }
    const double start = toSeconds(hit.call->start), end = toSeconds(hit.call->end);
    const vTimelineDisplayState shown = callInContext(start, end);
    timelines.model().change([&](vTimelineDisplayState& s) { s = shown; });

    // The selection is a time range on the included lines: say so when it
    // holds more than the call chosen.
    recordingList selected;
    timelines.selectedRecordings(selected);
    wxString text = "Selected: the call on " + fromNarrow(hit.line->getName()) + " at " +
                    fromNarrow(listingTime(hit.call->start)) + ".";
    const std::size_t others = selected.size() > 0 ? selected.size() - 1 : 0;
    if (others > 0)
        text += wxString::Format(" %zu other %s on included lines %s the same time and %s selected too.", others,
                                 others == 1 ? "call" : "calls", others == 1 ? "overlaps" : "overlap",
                                 others == 1 ? "is" : "are");
    status->SetLabel(text);
}

std::vector<callHit> findPanel::hitsInListOrder() const
{
    std::vector<callHit> out;
    out.reserve(order.size());
    for (std::size_t i : order)
        out.push_back(hits[i]);
    return out;
}

void findPanel::copyResults()
{
    wxClipboardLocker locker;
    if (!locker) {
        status->SetLabel("The clipboard cannot be opened.");
        return;
    }
    wxTheClipboard->SetData(new wxTextDataObject(wxString::FromUTF8(hitsAsTabText(hitsInListOrder()))));
    wxTheClipboard->Flush(); // the text stays when Orvista closes
    status->SetLabel(wxString::Format("%zu %s copied to the clipboard.", order.size(),
                                      order.size() == 1 ? "call" : "calls"));
}

void findPanel::exportResults()
{
    wxFileDialog dialog(this, "Export results", wxString(), "calls.csv", "CSV files (*.csv)|*.csv|All files|*",
                        wxFD_SAVE | wxFD_OVERWRITE_PROMPT, wxDefaultPosition, wxDefaultSize, "exportDialog");
    if (dialog.ShowModal() != wxID_OK)
        return;
    const wxString path = dialog.GetPath();
    // A byte-order mark, so spreadsheets on Windows read the labels as UTF-8.
    const std::string text = "\xEF\xBB\xBF" + hitsAsCsv(hitsInListOrder());
    wxString reason;
    if (!writeFileReplacing(path, text.data(), text.size(), reason))
        wxMessageBox("The results could not be saved to " + path + ":\n" + reason, "Orvista",
                     wxOK | wxICON_ERROR, this);
}

void findPanel::onCharHook(wxKeyEvent& event)
{
    const int key = event.GetKeyCode();
    if ((key == WXK_UP || key == WXK_DOWN) && FindFocus() != list && !order.empty()) {
        // From the fields too, Up and Down walk the calls found.
        const long current = list->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
        const long next = current < 0 ? 0 : std::clamp(current + (key == WXK_DOWN ? 1 : -1), 0L,
                                                       static_cast<long>(order.size()) - 1);
        if (next != current) {
            list->SetItemState(next, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                               wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
            list->EnsureVisible(next);
            showHit(static_cast<std::size_t>(next)); // not every toolkit tells of a change it was told to make
        }
        return;
    }
    if (key != WXK_ESCAPE) {
        event.Skip();
        return;
    }
    if (search)
        stop();
    else
        setOpen(false);
}
