#include "display/vSingleTimeline.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <unordered_set>

#include <wx/dcclient.h>
#include <wx/graphics.h>
#include <wx/image.h>

#include "display/callPicking.h"
#include "platform/narrow.h"
#include "recdb/timeValue.h"

namespace {
const wxColour middleLineColour(0, 255, 0);
const wxColour selectedColour(0, 255, 0);
const wxColour otherColour(128, 128, 128);
// Calls the highlight matches: the selected and the other shade.
const wxColour matchedSelectedColour(255, 230, 0);
const wxColour matchedOtherColour(160, 140, 0);
const wxColour boundColour(255, 31, 0);
// Days whose catalogs are still being read: hatched, so they do not pass for
// days without calls.
const wxColour pendingColour(96, 96, 96);
// Beyond this many seconds a column, rows draw from the days' summaries.
const double summaryColumn = 60;
}

vSingleTimeline::vSingleTimeline(wxWindow* parent, const timeline* line_, displayModel& model_)
    : vDisplayWidget(parent, model_), line(line_)
{
    charWidths.fill(-1);
    const displayMetrics sizes = displayMetrics::forWindow(*this);
    SetMinSize(wxSize(sizes.rowMinWidth, sizes.rowHeight));
    // Clicked, a row takes the focus so that the panel gets its keys; on
    // Windows the arrows would otherwise move the focus on.
    SetCanFocus(true);
    SetWindowStyleFlag(GetWindowStyleFlag() | wxWANTS_CHARS);
    Bind(wxEVT_PAINT, &vSingleTimeline::onPaint, this);
    Bind(wxEVT_LEFT_DOWN, &vSingleTimeline::onLeftDown, this);
    Bind(wxEVT_LEFT_UP, &vSingleTimeline::onLeftUp, this);
    Bind(wxEVT_MOTION, &vSingleTimeline::onMotion, this);
    Bind(wxEVT_LEFT_DCLICK, &vSingleTimeline::onDoubleClick, this);
}

void vSingleTimeline::displayChanged(const vTimelineDisplayState& previous)
{
    if (!sameView(state(), previous)) {
        hideDetails(); // the pointer may rest on another call now
        Refresh(true);
        return;
    }
    // Only the selection moved: the paint handler draws just what changed.
    for (const wxRect& rect : selectionChangeRects(previous, GetClientSize()))
        RefreshRect(rect, false);
}

std::vector<wxRect> vSingleTimeline::selectionChangeRects(const vTimelineDisplayState& previous, const wxSize& size)
{
    std::vector<wxRect> rects;
    for (double t : {previous.selectionBegin, previous.selectionEnd, state().selectionBegin, state().selectionEnd})
        rects.push_back(wxRect(timeToX(t, size.x), 0, 1, size.y));
    // A box changes colour when it overlaps the stretch a bound moved across.
    const double moved[2][2] = {
        {std::min(previous.selectionBegin, state().selectionBegin), std::max(previous.selectionBegin, state().selectionBegin)},
        {std::min(previous.selectionEnd, state().selectionEnd), std::max(previous.selectionEnd, state().selectionEnd)}};
    recordingList found;
    std::vector<coverageSpan> summarised;
    std::vector<timeSpan> pending;
    if (drawsFromSummaries(size.x)) {
        if (textFloor < 0) // never painted: the paint to come draws it all
            return {wxRect(wxPoint(0, 0), size)};
        // The shading of a summarised day changes only where a bound moved.
        for (const auto& stretch : moved) {
            const int x0 = timeToX(std::max(stretch[0], state().viewBegin), size.x);
            const int x1 = timeToX(std::min(stretch[1], state().viewEnd), size.x);
            if (x0 <= x1)
                rects.push_back(wxRect(x0, 0, x1 - x0 + 1, size.y));
        }
    }
    gatherCalls(size.x, found, summarised, pending);
    for (const recording* r : found) {
        const double b = toSeconds(r->start), e = toSeconds(r->end);
        for (const auto& stretch : moved) {
            if (b < stretch[1] && e > stretch[0]) {
                // The box's columns and the one its end shades in part.
                const int x0 = timeToX(b, size.x), x1 = timeToX(e, size.x);
                rects.push_back(wxRect(x0, 0, x1 - x0 + 1, size.y));
                break;
            }
        }
    }
    return rects;
}

void vSingleTimeline::draw(wxDC& dc, const wxSize& size)
{
    prepare(dc);
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(*wxBLACK_BRUSH);
    dc.DrawRectangle(0, 0, size.x, size.y);
    if (textFloor < 0)
        textFloor = narrowestText(dc);
    std::vector<timeSpan> pending;
    recordingList found;
    std::vector<coverageSpan> summarised;
    gatherCalls(size.x, found, summarised, pending);
    waiting = !pending.empty();
    if (waiting && waitingNotice)
        waitingNotice();
    drawPending(dc, size, pending);
    dc.SetPen(wxPen(middleLineColour, 1, wxPENSTYLE_SOLID));
    dc.DrawLine(0, size.y / 2, size.x, size.y / 2);
    drawRecordings(dc, size, found, std::move(summarised));
    drawBounds(dc, size);
}

bool vSingleTimeline::drawsFromSummaries(int width) const
{
    const columnPositions p = positions(width);
    return !highlight && !p.flat && p.length / width > summaryColumn;
}

void vSingleTimeline::gatherCalls(int width, recordingList& found, std::vector<coverageSpan>& summarised,
                                  std::vector<timeSpan>& pending) const
{
    const double from = state().viewBegin, to = state().viewEnd;
    std::vector<const daySummary*> days;
    if (!drawsFromSummaries(width) || textFloor < 0 || !line->availableSummaries(from, to, days, pending)) {
        found = line->getAvailableRecordings(from, to, pending);
        return;
    }
    // Days in time order give the stretches in time order: thousands of
    // them need no sorting then.
    std::sort(days.begin(), days.end(),
              [](const daySummary* a, const daySummary* b) { return a->dayStart() < b->dayStart(); });
    const columnPositions position = positions(width);
    const double secondsPerColumn = position.length / width;
    const double selectionBegin = state().selectionBegin, selectionEnd = state().selectionEnd;
    // A box spans at most one column more than its length; a day whose
    // longest call stays narrower than any text shows only shading, which
    // its summary gives exactly. The others are read, in runs of days.
    std::vector<timeSpan> read;
    for (const daySummary* day : days) {
        if (day->callCount() > 0 && day->longestCall() / secondsPerColumn + 1 >= textFloor) {
            if (!read.empty() && read.back().to >= day->dayStart())
                read.back().to = std::max(read.back().to, day->dayEnd());
            else
                read.push_back(timeSpan{day->dayStart(), day->dayEnd()});
            continue;
        }
        day->forEachStretch(from, to, [&](double b, double e) {
            summarised.push_back(
                coverageSpan{position(b), position(e), included && b < selectionEnd && e > selectionBegin});
        });
    }
    // A call running over midnight into the next run is met twice.
    std::unordered_set<const recording*> seen;
    for (const timeSpan& run : read)
        for (const recording* r : line->getAvailableRecordings(std::max(run.from, from), std::min(run.to, to), pending))
            if (seen.insert(r).second)
                found.push_back(r);
}

int vSingleTimeline::narrowestText(wxDC& dc)
{
    if (ellipsisWidth < 0)
        ellipsisWidth = dc.GetTextExtent("...").x;
    int narrowest = ellipsisWidth;
    for (int c = 0x20; c < 0x7F; ++c)
        narrowest = std::min(narrowest, charWidth(dc, static_cast<unsigned char>(c)));
    return std::max(1, narrowest);
}

void vSingleTimeline::drawPending(wxDC& dc, const wxSize& size, const std::vector<timeSpan>& pending)
{
    if (pending.empty())
        return;
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(pendingColour, wxBRUSHSTYLE_BDIAGONAL_HATCH));
    // Zoomed out, thousands of days share a few hundred columns: days that
    // meet are one rectangle.
    int runFrom = 0, runTo = -1;
    for (const timeSpan& day : pending) {
        const int x0 = timeToX(day.from, size.x), x1 = std::max(x0 + 1, timeToX(day.to, size.x));
        if (runTo >= x0 && x1 >= runFrom) {
            runFrom = std::min(runFrom, x0);
            runTo = std::max(runTo, x1);
            continue;
        }
        if (runTo > runFrom)
            dc.DrawRectangle(runFrom, 0, runTo - runFrom, size.y);
        runFrom = x0;
        runTo = x1;
    }
    if (runTo > runFrom)
        dc.DrawRectangle(runFrom, 0, runTo - runFrom, size.y);
}

void vSingleTimeline::drawBounds(wxDC& dc, const wxSize& size)
{
    // Cairo blends the ends of each dot; the bounds are meant in their own colour.
    wxGraphicsContext* gc = dc.GetGraphicsContext();
    if (gc)
        gc->SetAntialiasMode(wxANTIALIAS_NONE);
    dc.SetPen(wxPen(boundColour, 1, wxPENSTYLE_DOT));
    int x = timeToX(state().selectionBegin, size.x);
    dc.DrawLine(x, 0, x, size.y);
    x = timeToX(state().selectionEnd, size.x);
    dc.DrawLine(x, 0, x, size.y);
    if (gc)
        gc->SetAntialiasMode(wxANTIALIAS_DEFAULT);
}

vSingleTimeline::columnPositions vSingleTimeline::positions(int width) const
{
    columnPositions p;
    p.begin = columnsBegin();
    p.length = columnsEnd() - p.begin;
    p.width = width;
    p.flat = p.length == 0 || !std::isfinite(p.length) || width <= 0;
    return p;
}

void vSingleTimeline::drawRecordings(wxDC& dc, const wxSize& size, const recordingList& found,
                                     std::vector<coverageSpan> summarised)
{
    dc.SetPen(*wxTRANSPARENT_PEN);
    const wxBrush selectedBrush(selectedColour), otherBrush(otherColour);
    const wxBrush matchedSelectedBrush(matchedSelectedColour), matchedOtherBrush(matchedOtherColour);
    const wxBrush* current = nullptr;
    auto use = [&](const wxBrush* brush) {
        if (brush != current) {
            dc.SetBrush(*brush);
            current = brush;
        }
    };
    if (ellipsisWidth < 0)
        ellipsisWidth = dc.GetTextExtent("...").x;
    // Matched calls are drawn after all others, on top: a highlighted call
    // hidden under its neighbours would be no highlight.
    recordingList matched;
    // The columns the matched calls so far cover, as the last of them leave
    // them on top in one shade (none after one with text). A box without text
    // within them shows nothing of its own whether it matches or not, so the
    // matcher is not asked: zoomed out, a match in a column spares asking
    // for the dozens of calls around it.
    struct {
        const wxBrush* brush = nullptr;
        int x0 = 0, x1 = 0;
    } onTop;
    // The columns the boxes drawn on top will hide: no shading needed there.
    std::vector<std::pair<int, int>> hidden;
    auto setAside = [&](const recording* r, bool selected, int x0, int end, bool withText) {
        const wxBrush* shade = selected ? &matchedSelectedBrush : &matchedOtherBrush;
        const bool sameShade = !withText && onTop.brush == shade;
        if (sameShade && onTop.x0 <= x0 && end <= onTop.x1)
            return false;
        if (!highlight(*r))
            return false;
        matched.push_back(r);
        hidden.emplace_back(x0, end);
        if (withText) {
            onTop.brush = nullptr;
        } else if (sameShade && x0 <= onTop.x1 && end >= onTop.x0) {
            onTop.x0 = std::min(onTop.x0, x0);
            onTop.x1 = std::max(onTop.x1, end);
        } else {
            onTop.brush = shade;
            onTop.x0 = x0;
            onTop.x1 = end;
        }
        return true;
    };
    struct box {
        int x0, x1;
        const wxBrush* brush;
        wxString text;
    };
    // Every call shades its columns; those wide enough for their label are
    // also drawn as boxes with text on top of the shading, in the colour of
    // the whole call.
    const columnPositions position = positions(size.x);
    const double selectionBegin = state().selectionBegin, selectionEnd = state().selectionEnd;
    std::vector<coverageSpan> spans = std::move(summarised);
    const std::size_t fromSummaries = spans.size(); // in time order already
    spans.reserve(spans.size() + found.size());
    std::vector<box> labelled;
    for (const recording* r : found) {
        const double b = toSeconds(r->start), e = toSeconds(r->end);
        const bool selected = included && b < selectionEnd && e > selectionBegin;
        const double from = position(b), to = position(e);
        spans.push_back(coverageSpan{from, to, selected});
        const int x0 = static_cast<int>(from), x1 = static_cast<int>(to);
        const int end = x1 == x0 ? x0 + 1 : x1;
        const std::string label = r->label();
        const bool withText = !label.empty() && !tooNarrowForText(dc, end - x0, label);
        if (highlight && setAside(r, selected, x0, end, withText))
            continue;
        if (!withText)
            continue;
        wxString text = fittingText(dc, end - x0, label);
        if (text.empty())
            continue; // no text fits after all: the shading shows the call
        labelled.push_back(box{x0, end, selected ? &selectedBrush : &otherBrush, std::move(text)});
        hidden.emplace_back(x0, end);
    }
    auto byStart = [](const coverageSpan& a, const coverageSpan& b) { return a.from < b.from; };
    std::sort(spans.begin() + static_cast<std::ptrdiff_t>(fromSummaries), spans.end(), byStart);
    std::inplace_merge(spans.begin(), spans.begin() + static_cast<std::ptrdiff_t>(fromSummaries), spans.end(), byStart);
    const double selectionFrom = included ? position(selectionBegin) : 0;
    const double selectionTo = included ? position(selectionEnd) : 0;
    std::vector<columnShare> shares = columnShares(spans, size.x, selectionFrom, selectionTo);
    const int columns = static_cast<int>(shares.size());
    for (const auto& [x0, end] : hidden)
        std::fill(shares.begin() + std::min(x0, columns), shares.begin() + std::min(end, columns), columnShare());
    drawShading(dc, size, shares);
    current = nullptr; // the shading changed the brush
    for (const box& labelledBox : labelled) {
        use(labelledBox.brush);
        drawLabelledBox(dc, labelledBox.x0, labelledBox.x1, size.y, labelledBox.text);
    }

    // The matched calls: touching or overlapping boxes of one shade that
    // carry no text are drawn as one rectangle, in their turn, which gives
    // the same pixels far faster.
    struct {
        const wxBrush* brush = nullptr;
        int x0 = 0, x1 = 0;
    } run;
    auto flush = [&] {
        if (run.brush) {
            use(run.brush);
            dc.DrawRectangle(run.x0, 0, run.x1 - run.x0, size.y - 1);
            run.brush = nullptr;
        }
    };
    for (const recording* r : matched) {
        const double b = toSeconds(r->start), e = toSeconds(r->end);
        const bool selected = included && b < selectionEnd && e > selectionBegin;
        const int x0 = timeToX(b, size.x), x1 = timeToX(e, size.x);
        const int end = x1 == x0 ? x0 + 1 : x1;
        const std::string label = r->label();
        const bool withText = !label.empty() && !tooNarrowForText(dc, end - x0, label);
        const wxBrush* brush = selected ? &matchedSelectedBrush : &matchedOtherBrush;
        if (withText) {
            flush();
            use(brush);
            drawLabelledBox(dc, x0, x1, size.y, fittingText(dc, end - x0, label));
            continue;
        }
        if (run.brush == brush && x0 <= run.x1 && end >= run.x0) {
            run.x0 = std::min(run.x0, x0);
            run.x1 = std::max(run.x1, end);
            continue;
        }
        flush();
        run.brush = brush;
        run.x0 = x0;
        run.x1 = end;
    }
    flush();
}

void vSingleTimeline::drawShading(wxDC& dc, const wxSize& size, const std::vector<columnShare>& shares)
{
    // Each column is black plus its selected share of the selected colour and
    // its other share of the other one; where the row's middle line lies under
    // the columns it shows through what they leave of black. Runs of columns
    // of one colour are one rectangle.
    const std::uint32_t leave = 0xFFFFFFFF; // no 24-bit colour: draw nothing
    auto pack = [](double r, double g, double b) {
        auto channel = [](double v) { return static_cast<std::uint32_t>(std::min(255.0, v + 0.5)); };
        return channel(r) << 16 | channel(g) << 8 | channel(b);
    };
    const int width = static_cast<int>(shares.size());
    std::vector<std::uint32_t> column(width, leave), middle(width, leave);
    for (int x = 0; x < width; ++x) {
        const columnShare& share = shares[x];
        if (share.total() == 0)
            continue;
        const double s = share.selected, o = share.other, rest = std::max(0.0, 1 - share.total());
        const double r = s * selectedColour.Red() + o * otherColour.Red();
        const double g = s * selectedColour.Green() + o * otherColour.Green();
        const double b = s * selectedColour.Blue() + o * otherColour.Blue();
        column[x] = pack(r, g, b);
        const std::uint32_t blended = pack(r + rest * middleLineColour.Red(), g + rest * middleLineColour.Green(),
                                           b + rest * middleLineColour.Blue());
        if (blended != column[x])
            middle[x] = blended;
    }
    // Few runs (a quiet or zoomed-in row) are drawn as rectangles; a busy day
    // has another colour in nearly every column, and one picture of them all
    // costs a fraction of a thousand rectangles.
    int runs = 0;
    for (int x = 0; x < width; ++x)
        runs += column[x] != leave && (x == 0 || column[x] != column[x - 1]);
    const int height = size.y - 1, middleY = size.y / 2;
    if (runs > 64 && height > 0) {
        wxImage picture(width, height, false);
        picture.InitAlpha();
        unsigned char* rgb = picture.GetData();
        unsigned char* alpha = picture.GetAlpha();
        std::fill(alpha, alpha + static_cast<std::size_t>(width) * height, 0);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const std::uint32_t c = y == middleY && middle[x] != leave ? middle[x] : column[x];
                if (c == leave)
                    continue;
                const std::size_t at = static_cast<std::size_t>(y) * width + x;
                rgb[3 * at] = static_cast<unsigned char>(c >> 16);
                rgb[3 * at + 1] = static_cast<unsigned char>(c >> 8 & 0xFF);
                rgb[3 * at + 2] = static_cast<unsigned char>(c & 0xFF);
                alpha[at] = 255;
            }
        dc.DrawBitmap(wxBitmap(picture), 0, 0, true);
        return;
    }
    auto drawRuns = [&](const std::vector<std::uint32_t>& colours, int y, int runHeight) {
        for (int x = 0; x < width;) {
            int end = x + 1;
            while (end < width && colours[end] == colours[x])
                ++end;
            if (colours[x] != leave) {
                dc.SetBrush(wxBrush(wxColour(colours[x] >> 16, colours[x] >> 8 & 0xFF, colours[x] & 0xFF)));
                dc.DrawRectangle(x, y, end - x, runHeight);
            }
            x = end;
        }
    };
    dc.SetPen(*wxTRANSPARENT_PEN);
    drawRuns(column, 0, height);
    if (middleY < height) // else the line is below the columns
        drawRuns(middle, middleY, 1);
}

wxString vSingleTimeline::fittingText(wxDC& dc, int width, const std::string& label)
{
    if (label.empty() || tooNarrowForText(dc, width, label))
        return wxString();
    wxString text = fromNarrow(label); // a label of bytes that are not UTF-8 still shows
    if (dc.GetTextExtent(text).x > width)
        text = ellipsisWidth > width ? wxString() : wxString("...");
    return text;
}

bool vSingleTimeline::tooNarrowForText(wxDC& dc, int width, const std::string& label)
{
    // Neither the label (at least as wide as its first character) nor "..."
    // fits: nothing is drawn, and nothing needs measuring.
    unsigned char first = static_cast<unsigned char>(label[0]);
    return width < ellipsisWidth && first < 0x80 && width < charWidth(dc, first);
}

void vSingleTimeline::prepare(wxDC& dc)
{
    if (dc.GetFont() == measuredFont)
        return;
    measuredFont = dc.GetFont();
    ellipsisWidth = -1;
    textFloor = -1;
    charWidths.fill(-1);
}

int vSingleTimeline::charWidth(wxDC& dc, unsigned char c)
{
    if (charWidths[c] < 0)
        charWidths[c] = dc.GetTextExtent(wxString::FromUTF8(reinterpret_cast<const char*>(&c), 1)).x;
    return charWidths[c];
}

void vSingleTimeline::drawLabelledBox(wxDC& dc, int x0, int x1, int height, const wxString& text)
{
    const int width = x1 == x0 ? 1 : x1 - x0;
    dc.DrawRectangle(x0, 0, width, height - 1);
    if (!text.empty())
        dc.DrawText(text, x0, 0);
}

void vSingleTimeline::onPaint(wxPaintEvent&)
{
    const auto begun = std::chrono::steady_clock::now();
    wxPaintDC dc(this);
    draw(dc, GetClientSize());
    paintSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begun).count();
}

void vSingleTimeline::onLeftDown(wxMouseEvent& event)
{
    const int width = GetClientSize().x;
    const int x = event.GetX();
    hideDetails();
    callPicked = false;
    SetFocus();
    anchorTime = xToTime(x, width);
    dragMode = rowPress(x, timeToX(state().selectionBegin, width), timeToX(state().selectionEnd, width),
                        metrics().boundGrab);
    takeMouse();
    event.Skip();
}

void vSingleTimeline::onMotion(wxMouseEvent& event)
{
    const int width = GetClientSize().x;
    const int x = event.GetX();
    if (!event.LeftIsDown()) {
        const bool nearBound = rowPress(x, timeToX(state().selectionBegin, width), timeToX(state().selectionEnd, width),
                                        metrics().boundGrab) != selectionDrag::none;
        SetCursor(wxCursor(nearBound ? wxCURSOR_SIZEWE : wxCURSOR_ARROW));
        showDetails(x);
        return;
    }
    if (callPicked)
        return;
    const double t = xToTime(x, width);
    model.change([&](vTimelineDisplayState& s) { rowDrag(s, dragMode, anchorTime, t); });
}

void vSingleTimeline::onLeftUp(wxMouseEvent&)
{
    dragMode = selectionDrag::none;
    callPicked = false;
    releaseMouse();
    Refresh(true);
}

void vSingleTimeline::dragEnded()
{
    dragMode = selectionDrag::none;
}

void vSingleTimeline::onDoubleClick(wxMouseEvent& event)
{
    // The first click of the pair has already started a new selection (or
    // taken a bound); the call's own interval replaces whatever it made.
    const recording* picked = callAtColumn(event.GetX());
    if (!picked) {
        event.Skip();
        return;
    }
    dragMode = selectionDrag::none;
    callPicked = true;
    SetFocus();
    model.setSelection(toSeconds(picked->start), toSeconds(picked->end));
}

const recording* vSingleTimeline::callAtColumn(int x) const
{
    const int width = GetClientSize().x;
    if (x < 0 || x >= width)
        return nullptr;
    // Only the calls near the column are asked for: a column of a zoomed-out
    // view holds a few of the row's thousands. One column either side covers
    // the rounding of the mapping; the view limits it as the paint does.
    const double from = std::max(xToTime(x - 1, width), state().viewBegin);
    const double to = std::min(xToTime(x + 2, width), state().viewEnd);
    if (!(from < to))
        return nullptr; // a view without length draws no box
    std::vector<timeSpan> pending;
    return callAt(line->getAvailableRecordings(from, to, pending), state(), width, x);
}

void vSingleTimeline::showDetails(int x)
{
    const recording* call = callAtColumn(x);
    if (call == detailsShown)
        return;
    detailsShown = call;
    if (call)
        SetToolTip(callDetails(line->getName(), *call));
    else
        UnsetToolTip();
}

void vSingleTimeline::hideDetails()
{
    if (!detailsShown)
        return;
    detailsShown = nullptr;
    UnsetToolTip();
}
