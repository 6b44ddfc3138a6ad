#include "display/vTimeline.h"

#include <algorithm>

#include <wx/checkbox.h>
#include <wx/scrolwin.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include "display/displayRules.h"
#include "display/recordedDays.h"
#include "display/timeSelector.h"
#include "display/vSingleTimeline.h"
#include "display/vTimeScale.h"
#include "display/vTimeWindow.h"
#include "display/vTimespan.h"
#include "platform/narrow.h"
#include "recdb/timeValue.h"

vTimeline::vTimeline(wxWindow* parent, const vTimelineDisplayState& initial)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxNO_BORDER | wxTAB_TRAVERSAL, "panel"),
      initialState(initial)
{
    Bind(wxEVT_CHECKBOX, &vTimeline::onCheckBox, this);
    arrivalTimer.SetOwner(this);
    Bind(wxEVT_TIMER, &vTimeline::onArrivalTimer, this, arrivalTimer.GetId());
    SetSizer(new wxBoxSizer(wxHORIZONTAL));
    buildChildren();
    GetSizer()->SetSizeHints(this);
    Layout();
}

vTimeline::~vTimeline()
{
    // The base class would destroy the children only after the model is gone;
    // their subscriptions end on the model, so they go first.
    DestroyChildren();
}

void vTimeline::buildChildren()
{
    innerPanel = new wxPanel(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxSUNKEN_BORDER | wxTAB_TRAVERSAL,
                             "panel");
    wxBoxSizer* column = new wxBoxSizer(wxVERTICAL);
    // Fixed at the top: the selectors with their captions, and the bars; the
    // third column keeps the bars as wide as the rows when the rows' scroll
    // bar takes room.
    grid = new wxFlexGridSizer(3, 0, 0);
    grid->AddGrowableCol(1, 1);
    const int border = FromDIP(2);

    std::vector<const timeline*> timelines;
    for (const lineEntry& entry : lines)
        timelines.push_back(entry.line);
    recordingExtent(timelines, extentBegin, extentEnd);

    display.reset(initialState);

    wxBoxSizer* selectorColumn = new wxBoxSizer(wxVERTICAL);
    wxFlexGridSizer* selectors = new wxFlexGridSizer(2, 0, 0);
    auto caption = [&](const char* text) {
        selectors->Add(new wxStaticText(innerPanel, wxID_ANY, text, wxDefaultPosition, wxDefaultSize, 0,
                                        "staticText"),
                       0, wxALIGN_RIGHT);
    };
    // The popups mark the days with calls on the lines included when they open.
    const dayMarkSource recordedDays = [this](int year, int month, bool& pending) {
        return recordedDaysOfMonth(includedLines(), year, month, pending);
    };
    auto selector = [&](double vTimelineDisplayState::*field) {
        timeSelector* s = new timeSelector(innerPanel, display, field);
        s->setMarkSource(recordedDays);
        selectors->Add(s, 1, wxEXPAND);
    };
    caption("Displaying from: ");
    selector(&vTimelineDisplayState::viewBegin);
    caption("to: ");
    selector(&vTimelineDisplayState::viewEnd);
    const int gap = FromDIP(5);
    selectors->Add(gap, gap);
    selectors->Add(gap, gap);
    caption("Selected from: ");
    selector(&vTimelineDisplayState::selectionBegin);
    caption("to: ");
    selector(&vTimelineDisplayState::selectionEnd);
    selectorColumn->AddStretchSpacer(1);
    selectorColumn->Add(selectors, 0);
    selectorColumn->AddStretchSpacer(1);

    wxBoxSizer* overviewColumn = new wxBoxSizer(wxVERTICAL);
    overview = new vTimeWindow(innerPanel, display, extentBegin, extentEnd);
    overview->setHitMarks(hitMarks);
    overviewColumn->Add(overview, 0, wxEXPAND);
    overviewColumn->Add(new vTimeScale(innerPanel, display), 0, wxEXPAND);
    overviewColumn->Add(new vTimespan(innerPanel, display), 0, wxEXPAND);

    grid->Add(selectorColumn, 1, wxEXPAND | wxALL, border);
    grid->Add(overviewColumn, 1, wxEXPAND);
    scrollbarGap = grid->Add(0, 0);
    column->Add(grid, 0, wxEXPAND);

    // Below, the lines: as many as the logger has, scrolled when they do not fit.
    lineArea = new wxScrolledWindow(innerPanel, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxVSCROLL | wxBORDER_NONE,
                                    "panel");
    wxFlexGridSizer* lineGrid = new wxFlexGridSizer(2, 0, 0);
    lineGrid->AddGrowableCol(1, 1);
    int checkBoxWidth = 0;
    for (lineEntry& entry : lines) {
        // A channel may be called "Billing & Accounts": the "&" is text, not a
        // mnemonic marker.
        entry.checkBox =
            new wxCheckBox(lineArea, wxID_ANY, wxControl::EscapeMnemonics(fromNarrow(entry.line->getName())),
                           wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator, "check");
        entry.checkBox->SetValue(true);
        checkBoxWidth = std::max(checkBoxWidth, entry.checkBox->GetBestSize().x);
        lineGrid->Add(entry.checkBox, 0, wxALIGN_CENTER_VERTICAL, 0);
        entry.row = new vSingleTimeline(lineArea, entry.line, display);
        entry.row->setWaitingNotice([this] { rowWaiting(); });
        entry.row->setHighlight(highlight);
        entry.row->Bind(wxEVT_KEY_DOWN, &vTimeline::onRowKey, this);
        lineGrid->Add(entry.row, 1, wxEXPAND | wxALIGN_CENTER_VERTICAL, 0);
        // The wheel scrolls the lines wherever the mouse is over them.
        entry.checkBox->Bind(wxEVT_MOUSEWHEEL, &vTimeline::onLineWheel, this);
        entry.row->Bind(wxEVT_MOUSEWHEEL, &vTimeline::onLineWheel, this);
    }
    // The rows start where the bars start: both first columns get the wider
    // of the two widths.
    const int leftWidth = std::max(selectorColumn->GetMinSize().x + 2 * border, checkBoxWidth);
    grid->Add(leftWidth, 0);
    grid->Add(0, 0);
    grid->Add(0, 0);
    lineGrid->Add(leftWidth, 0);
    lineGrid->Add(0, 0);
    lineArea->SetSizer(lineGrid);
    lineArea->SetScrollRate(0, FromDIP(8));
    lineArea->Bind(wxEVT_SIZE, &vTimeline::onLineAreaSize, this);
    // Room for a few lines at least; the rest scrolls.
    const int visibleLines = std::min<int>(static_cast<int>(lines.size()), 4);
    lineArea->SetMinSize(wxSize(-1, visibleLines * FromDIP(22)));
    column->Add(lineArea, 1, wxEXPAND);

    innerPanel->SetSizer(column);
    column->SetSizeHints(innerPanel);
    GetSizer()->Insert(0, innerPanel, 1, wxEXPAND | wxALL, border);
}

void vTimeline::onLineWheel(wxMouseEvent& event)
{
    // Scrolled here rather than left to the system, which does not pass the
    // wheel on from a child window everywhere.
    if (event.GetWheelAxis() != wxMOUSE_WHEEL_VERTICAL || event.GetWheelDelta() == 0) {
        event.Skip();
        return;
    }
    const int steps = -event.GetWheelRotation() / event.GetWheelDelta() * std::max(event.GetLinesPerAction(), 1);
    lineArea->Scroll(-1, std::max(lineArea->GetViewStart().y + steps, 0));
}

void vTimeline::onRowKey(wxKeyEvent& event)
{
    if (event.GetModifiers() != wxMOD_NONE) {
        event.Skip();
        return;
    }
    // Home and End go to the calls of the lines that count; without any, they
    // have nowhere to go.
    auto callsExtent = [this](double& begin, double& end) {
        const std::vector<const timeline*> included = includedLines();
        recordingExtent(included, begin, end);
        return std::any_of(included.begin(), included.end(), [](const timeline* l) { return !l->isEmpty(); });
    };
    double begin = 0, end = 0;
    switch (event.GetKeyCode()) {
    case WXK_LEFT:
    case WXK_NUMPAD_LEFT:
        display.change([](vTimelineDisplayState& s) { panView(s, -0.1); });
        break;
    case WXK_RIGHT:
    case WXK_NUMPAD_RIGHT:
        display.change([](vTimelineDisplayState& s) { panView(s, 0.1); });
        break;
    case WXK_HOME:
    case WXK_NUMPAD_HOME:
        if (callsExtent(begin, end))
            display.change([begin](vTimelineDisplayState& s) { viewStartingAt(s, begin); });
        break;
    case WXK_END:
    case WXK_NUMPAD_END:
        if (callsExtent(begin, end))
            display.change([end](vTimelineDisplayState& s) { viewEndingAt(s, end); });
        break;
    default:
        event.Skip();
    }
}

void vTimeline::setHighlight(std::function<bool(const recording&)> matches)
{
    highlight = std::move(matches);
    for (const lineEntry& entry : lines) {
        if (!entry.row)
            continue;
        entry.row->setHighlight(highlight);
        entry.row->Refresh(false);
    }
}

void vTimeline::setHitMarks(std::vector<double> hitStarts)
{
    // Held once: millions of hits are not copied again for the overview bar.
    hitMarks = std::make_shared<const std::vector<double>>(std::move(hitStarts));
    if (overview)
        overview->setHitMarks(hitMarks);
}

void vTimeline::onLineAreaSize(wxSizeEvent& event)
{
    event.Skip();
    // Whatever the scroll bar takes from the rows, the bars above give up too.
    CallAfter([this] {
        if (!lineArea)
            return;
        const int gap = lineArea->GetSize().x - lineArea->GetClientSize().x;
        if (scrollbarGap->GetMinSize().x != gap) {
            scrollbarGap->SetMinSize(gap, 0);
            innerPanel->Layout();
        }
    });
}

void vTimeline::setTimelines(const std::vector<const timeline*>& newLines)
{
    // A child window's Destroy deletes it (and its children) at once, so the
    // old widgets have left the model before the new ones subscribe.
    GetSizer()->Detach(innerPanel);
    innerPanel->Destroy();
    innerPanel = nullptr;
    lineArea = nullptr;
    overview = nullptr;
    lines.clear();
    for (const timeline* line : newLines)
        lines.push_back(lineEntry{line, nullptr, nullptr});
    buildChildren();
    Layout();
}

void vTimeline::selectedRecordings(recordingList& out) const
{
    for (const lineEntry& entry : lines) {
        if (!entry.row || !entry.row->isIncluded())
            continue;
        recordingList found =
            entry.line->getRecordings(display.state().selectionBegin, display.state().selectionEnd);
        out.insert(out.end(), found.begin(), found.end());
    }
}

std::vector<const timeline*> vTimeline::includedLines() const
{
    std::vector<const timeline*> included;
    for (const lineEntry& entry : lines)
        if (entry.row && entry.row->isIncluded())
            included.push_back(entry.line);
    return included;
}

void vTimeline::watchArrivals(std::function<unsigned()> arrivals)
{
    arrivalCount = std::move(arrivals);
    arrivalsSeen = arrivalCount ? arrivalCount() : 0;
}

void vTimeline::rowWaiting()
{
    // Days arrive by the hundred per second: looking every 50 ms paints the
    // waiting rows a few times a second rather than once a day.
    if (arrivalCount && !arrivalTimer.IsRunning())
        arrivalTimer.Start(50);
}

void vTimeline::onArrivalTimer(wxTimerEvent&)
{
    const unsigned arrived = arrivalCount ? arrivalCount() : arrivalsSeen;
    // Painting what arrived can take longer than the catalogs take to come
    // (years of rows, their days arriving by the thousand). The waiting rows
    // are painted in rounds of batches, each batch about 50 ms of painting,
    // and batches no more than a third of the time: the window answers
    // between them, and the workers keep their cores.
    const auto now = std::chrono::steady_clock::now();
    const bool between = arrivalCursor == 0 || arrivalCursor >= lines.size();
    if (between && arrived != arrivalsSeen) {
        arrivalCursor = 0;
        roundArrivals = arrived;
    }
    // Once nothing more comes, the workers need no core: the rest of the
    // round goes in larger batches, one at every tick.
    const bool quiet = arrived == arrivalsAtLastTick;
    arrivalsAtLastTick = arrived;
    if ((!between || arrived != arrivalsSeen) &&
        (quiet || std::chrono::duration<double>(now - lastArrivalPaint).count() >= 2 * lastBatchSeconds)) {
        // A row's last paint may have had far less to show: a batch holds
        // at most eight rows (sixteen once quiet) whatever they took.
        double batch = 0;
        int rows = 0;
        const int most = quiet ? 16 : 8;
        while (arrivalCursor < lines.size() && batch < 0.05 && rows < most) {
            const lineEntry& entry = lines[arrivalCursor++];
            if (entry.row && entry.row->isWaiting()) {
                entry.row->Refresh(false);
                batch += entry.row->lastPaintSeconds();
                ++rows;
            }
        }
        lastBatchSeconds = batch;
        lastArrivalPaint = now;
        if (arrivalCursor >= lines.size()) {
            arrivalCursor = 0;
            arrivalsSeen = roundArrivals;
        }
    }
    if (!isWaitingForRecordings()) {
        arrivalTimer.Stop();
        arrivalCursor = 0;
    }
}

void vTimeline::recordingsChanged(bool all)
{
    for (const lineEntry& entry : lines)
        if (entry.row && (all || entry.row->isWaiting()))
            entry.row->Refresh(false);
}

bool vTimeline::isWaitingForRecordings() const
{
    for (const lineEntry& entry : lines)
        if (entry.row && entry.row->isWaiting())
            return true;
    return false;
}

void vTimeline::zoomIn()
{
    display.change([](vTimelineDisplayState& s) {
        zoomInView(s);
        clampSelectionIntoView(s);
    });
}

void vTimeline::zoomOut()
{
    display.change([](vTimelineDisplayState& s) {
        zoomOutView(s);
        clampSelectionIntoView(s);
    });
}

void vTimeline::zoomToSelection()
{
    display.setView(display.state().selectionBegin, display.state().selectionEnd);
}

void vTimeline::collectLineStates(std::map<std::string, bool>& lineStates) const
{
    lineStates.clear();
    for (const lineEntry& entry : lines)
        if (entry.checkBox)
            lineStates[toNarrow(entry.checkBox->GetLabelText())] = entry.row->isIncluded();
}

void vTimeline::applyLineStates(const std::map<std::string, bool>& lineStates)
{
    for (const lineEntry& entry : lines) {
        if (!entry.checkBox)
            continue;
        auto found = lineStates.find(toNarrow(entry.checkBox->GetLabelText()));
        bool wanted = found == lineStates.end() ? true : found->second;
        if (entry.row->isIncluded() != wanted) {
            entry.row->setIncluded(wanted);
            entry.row->Refresh(true);
        }
        entry.checkBox->SetValue(wanted);
    }
}

void vTimeline::onCheckBox(wxCommandEvent&)
{
    for (const lineEntry& entry : lines) {
        if (!entry.checkBox)
            continue;
        bool checked = entry.checkBox->GetValue();
        if (checked != entry.row->isIncluded()) {
            entry.row->setIncluded(checked);
            entry.row->Refresh(true);
        }
    }
}
