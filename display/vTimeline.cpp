#include "display/vTimeline.h"

#include <wx/checkbox.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include "display/timeSelector.h"
#include "display/vSingleTimeline.h"
#include "display/vTimeScale.h"
#include "display/vTimeWindow.h"
#include "display/vTimespan.h"
#include "platform/narrow.h"
#include "recdb/timeValue.h"

wxBEGIN_EVENT_TABLE(vTimeline, wxPanel)
    EVT_CHECKBOX(wxID_ANY, vTimeline::onCheckBox)
wxEND_EVENT_TABLE()

vTimeline::vTimeline(wxWindow* parent, const wxDateTime& viewBegin, const wxDateTime& viewEnd,
                     const wxDateTime& selectionBegin, const wxDateTime& selectionEnd)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxNO_BORDER | wxTAB_TRAVERSAL, "panel"),
      initialState{toSeconds(viewBegin), toSeconds(viewEnd), toSeconds(selectionBegin), toSeconds(selectionEnd)},
      displayListener(this, &vTimeline::onDisplayChange)
{
    state = std::make_unique<vTimelineDisplayState>();
    displayBroadcast.addMember(&displayListener);
    SetSizer(new wxBoxSizer(wxHORIZONTAL));
    buildChildren();
    GetSizer()->SetSizeHints(this);
    Layout();
}

vTimeline::~vTimeline()
{
    // The children are destroyed after this by the window system; they must not
    // be reached through the broadcast any more.
    displayBroadcast.removeMember(&displayListener);
}

null vTimeline::onDisplayChange(const vTimelineDisplayState*)
{
    return null();
}

void vTimeline::buildChildren()
{
    innerPanel = new wxPanel(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxSUNKEN_BORDER | wxTAB_TRAVERSAL,
                             "panel");
    grid = new wxFlexGridSizer(2, 0, 0);
    grid->AddGrowableCol(1, 1);
    innerPanel->SetSizer(grid);
    grid->SetSizeHints(innerPanel);

    extentBegin = 0;
    extentEnd = 1;
    bool first = true;
    for (const lineEntry& entry : lines) {
        if (entry.line->isEmpty())
            continue;
        if (first || entry.line->getStart() < extentBegin)
            extentBegin = entry.line->getStart();
        if (first || entry.line->getEnd() > extentEnd)
            extentEnd = entry.line->getEnd();
        first = false;
    }

    state->viewBegin = initialState[0];
    state->viewEnd = initialState[1];
    state->selectionBegin = initialState[2];
    state->selectionEnd = initialState[3];

    wxBoxSizer* selectorColumn = new wxBoxSizer(wxVERTICAL);
    wxFlexGridSizer* selectors = new wxFlexGridSizer(2, 0, 0);
    auto caption = [&](const char* text) {
        selectors->Add(new wxStaticText(innerPanel, wxID_ANY, text, wxDefaultPosition, wxDefaultSize, 0,
                                        "staticText"),
                       0, wxALIGN_RIGHT);
    };
    auto selector = [&](double* field) {
        selectors->Add(new timeSelector(innerPanel, field, state.get(), &displayBroadcast), 1, wxEXPAND);
    };
    caption("Displaying from: ");
    selector(&state->viewBegin);
    caption("to: ");
    selector(&state->viewEnd);
    selectors->Add(5, 5);
    selectors->Add(5, 5);
    caption("Selected from: ");
    selector(&state->selectionBegin);
    caption("to: ");
    selector(&state->selectionEnd);
    selectorColumn->AddStretchSpacer(1);
    selectorColumn->Add(selectors, 0);
    selectorColumn->AddStretchSpacer(1);

    wxBoxSizer* overviewColumn = new wxBoxSizer(wxVERTICAL);
    overviewColumn->Add(new vTimeWindow(innerPanel, state.get(), &displayBroadcast, extentBegin, extentEnd), 0,
                        wxEXPAND);
    overviewColumn->Add(new vTimeScale(innerPanel, state.get(), &displayBroadcast), 0, wxEXPAND);
    overviewColumn->Add(new vTimespan(innerPanel, state.get(), &displayBroadcast), 0, wxEXPAND);

    grid->Add(selectorColumn, 1, wxEXPAND | wxALL, 2);
    grid->Add(overviewColumn, 1, wxEXPAND);

    for (lineEntry& entry : lines) {
        // A channel may be called "Billing & Accounts": the "&" is text, not a
        // mnemonic marker.
        entry.checkBox =
            new wxCheckBox(innerPanel, wxID_ANY, wxControl::EscapeMnemonics(fromNarrow(entry.line->getName())),
                           wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator, "check");
        entry.checkBox->SetValue(true);
        grid->Add(entry.checkBox, 0, wxALIGN_CENTER_VERTICAL, 0);
        entry.row = new vSingleTimeline(innerPanel, entry.line, state.get(), &displayBroadcast);
        grid->Add(entry.row, 1, wxEXPAND | wxALIGN_CENTER_VERTICAL, 0);
    }

    grid->SetSizeHints(innerPanel);
    GetSizer()->Insert(0, innerPanel, 1, wxEXPAND | wxALL, 2);
}

void vTimeline::setTimelines(const std::vector<const timeline*>& newLines)
{
    displayBroadcast(nullptr);
    GetSizer()->Detach(innerPanel);
    innerPanel->Destroy();
    innerPanel = nullptr;
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
        recordingList found = entry.line->getRecordings(state->selectionBegin, state->selectionEnd);
        out.insert(out.end(), found.begin(), found.end());
    }
}

void vTimeline::zoomTo(double begin, double end, bool clampSelection)
{
    vTimelineDisplayState previous = *state;
    state->viewBegin = begin;
    state->viewEnd = end;
    if (clampSelection)
        clampSelectionIntoView(*state);
    displayBroadcast(&previous);
}

void vTimeline::zoomIn()
{
    const double b = state->viewBegin, e = state->viewEnd, m = (b + e) * 0.5;
    zoomTo((b + m) * 0.5, (m + e) * 0.5, true);
}

void vTimeline::zoomOut()
{
    const double b = state->viewBegin, e = state->viewEnd, m = (b + e) * 0.5;
    zoomTo(b - (m - b), e + (e - m), true);
}

void vTimeline::zoomToSelection()
{
    zoomTo(state->selectionBegin, state->selectionEnd, false);
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
