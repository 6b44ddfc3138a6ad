#include "core/settings.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <vector>

#include <expat.h>

#include <wx/mstream.h>
#include <wx/wxcrt.h>
#include <wx/xml/xml.h>

#include "platform/fileReplace.h"
#include "platform/fileStamp.h"
#include "platform/standardPaths.h"
#include "platform/narrow.h"
#include "recdb/timeValue.h"

const char* const settingsDateTimeFormat = "%Y-%m-%d %H:%M:%S";

namespace {
// ParseFormat with the requirement that nothing but white space follows.
bool parseWhole(const wxString& text, const wxString& format, wxDateTime& result)
{
    wxDateTime parsed;
    wxString::const_iterator end;
    if (!parsed.ParseFormat(text, format, wxDefaultDateTime, &end) || !parsed.IsValid())
        return false;
    if (!wxString(end, text.end()).Trim().empty())
        return false;
    result = parsed;
    return true;
}

bool parseWholeInt(const wxString& text, int& result)
{
    long value = 0;
    if (text.empty() || wxIsspace(text[0]) || !text.ToLong(&value, 10))
        return false;
    if (value < INT_MIN || value > INT_MAX)
        return false;
    result = static_cast<int>(value);
    return true;
}

void readPaths(wxXmlNode* paths, startupSettings& settings)
{
    settings.loggerIniPath = toNarrow(paths->GetAttribute("logger-ini"));
    settings.copyToDirectory = paths->GetAttribute("copy-to");
    if (settings.copyToDirectory.empty())
        settings.copyToDirectory = documentsDirectory();
    settings.pathsElement = paths;
}

void setViewAndSelection(startupSettings& settings, const wxDateTime& begin, const wxDateTime& end)
{
    settings.view.viewBegin = settings.view.selectionBegin = toSeconds(begin);
    settings.view.viewEnd = settings.view.selectionEnd = toSeconds(end);
}

void readStartup(wxXmlNode* startup, const wxDateTime& now, startupSettings& settings)
{
    wxString kind = startup->GetAttribute("kind", "last-view");
    if (kind == "last-view") {
        wxDateTime when[4];
        const char* names[4] = {"last-view-begin", "last-view-end", "last-selection-begin",
                                "last-selection-end"};
        bool allValid = true;
        for (int i = 0; i < 4; ++i) {
            wxString value;
            if (!startup->GetAttribute(names[i], &value) || !parseLenientDateTime(value, when[i]))
                allValid = false;
        }
        if (allValid) {
            settings.view.viewBegin = toSeconds(when[0]);
            settings.view.viewEnd = toSeconds(when[1]);
            settings.view.selectionBegin = toSeconds(when[2]);
            settings.view.selectionEnd = toSeconds(when[3]);
        } else {
            setViewAndSelection(settings, now - wxDateSpan::Day(), now);
        }
    } else if (kind == "day") {
        setViewAndSelection(settings, now - wxDateSpan::Day(), now);
    } else if (kind == "week") {
        setViewAndSelection(settings, now - wxDateSpan::Week(), now);
    } else if (kind == "month") {
        // wx clamps to the last day of a shorter month (31 March gives 28/29 February).
        setViewAndSelection(settings, now - wxDateSpan::Month(), now);
    }

    for (wxXmlNode* child = startup->GetChildren(); child; child = child->GetNext()) {
        if (child->GetType() == wxXML_ELEMENT_NODE && child->GetName() == "line")
            settings.lineSelection[toNarrow(child->GetAttribute("name"))] =
                child->GetAttribute("selected") == "true";
    }

    windowGeometry geometry;
    if (parseWholeInt(startup->GetAttribute("window-x0"), geometry.x) &&
        parseWholeInt(startup->GetAttribute("window-y0"), geometry.y) &&
        parseWholeInt(startup->GetAttribute("window-dx"), geometry.width) &&
        parseWholeInt(startup->GetAttribute("window-dy"), geometry.height)) {
        geometry.maximized = startup->GetAttribute("window-maximized") == "true";
        settings.geometry = geometry;
        settings.hasGeometry = true;
    }
}
}

bool parseLenientDateTime(const wxString& input, wxDateTime& result)
{
    wxString text = input;
    text.Trim(true).Trim(false);
    if (text.empty())
        return false;
    static const char* const formats[] = {
        "%Y-%m-%d %H:%M:%S", "%Y-%m-%dT%H:%M:%S", "%Y-%m-%d %H:%M", "%Y-%m-%dT%H:%M",
        "%H:%M:%S %Y-%m-%d", "%Y/%m/%d %H:%M:%S", "%d.%m.%Y %H:%M:%S",
        "%d.%m.%Y %H:%M",
    };
    for (const char* format : formats) {
        if (parseWhole(text, format, result))
            return true;
    }
    return false;
}

startupSettings readStartupSettings(wxXmlNode* root, const wxDateTime& now)
{
    startupSettings settings;
    settings.copyToDirectory = documentsDirectory();
    if (!root)
        return settings;
    for (wxXmlNode* child = root->GetChildren(); child; child = child->GetNext()) {
        if (child->GetType() != wxXML_ELEMENT_NODE)
            continue;
        if (child->GetName() == "paths")
            readPaths(child, settings);
        else if (child->GetName() == "startup")
            readStartup(child, now, settings);
    }
    return settings;
}

wxString formatSettingsInstant(double seconds)
{
    if (!isCalendarSeconds(seconds))
        return wxString();
    const wxLongLong milliseconds(static_cast<wxLongLong_t>(std::floor(seconds)) * 1000);
    return wxDateTime(milliseconds).Format(settingsDateTimeFormat);
}

namespace {
void replaceAttribute(wxXmlNode* element, const wxString& name, const wxString& value)
{
    element->DeleteAttribute(name);
    element->AddAttribute(name, value);
}

void rewriteStartup(wxXmlNode* startup, const viewState& state)
{
    replaceAttribute(startup, "last-view-begin", formatSettingsInstant(state.view.viewBegin));
    replaceAttribute(startup, "last-view-end", formatSettingsInstant(state.view.viewEnd));
    replaceAttribute(startup, "last-selection-begin", formatSettingsInstant(state.view.selectionBegin));
    replaceAttribute(startup, "last-selection-end", formatSettingsInstant(state.view.selectionEnd));
    replaceAttribute(startup, "window-x0", wxString::Format("%d", state.window.x));
    replaceAttribute(startup, "window-y0", wxString::Format("%d", state.window.y));
    replaceAttribute(startup, "window-dx", wxString::Format("%d", state.window.width));
    replaceAttribute(startup, "window-dy", wxString::Format("%d", state.window.height));
    replaceAttribute(startup, "window-maximized", state.window.maximized ? "true" : "false");

    while (wxXmlNode* child = startup->GetChildren()) {
        startup->RemoveChild(child);
        delete child;
    }
    for (const auto& line : state.lines) {
        wxXmlNode* element = new wxXmlNode(wxXML_ELEMENT_NODE, "line");
        element->AddAttribute("name", fromNarrow(line.first));
        element->AddAttribute("selected", line.second ? "true" : "false");
        startup->AddChild(element);
    }
}
}

void saveViewState(wxXmlNode* root, const viewState& state)
{
    if (!root)
        return;
    for (wxXmlNode* child = root->GetChildren(); child; child = child->GetNext()) {
        if (child->GetType() == wxXML_ELEMENT_NODE && child->GetName() == "startup")
            rewriteStartup(child, state);
    }
}

namespace {
const char* const scopeNames[] = {"view", "selection", "archive"};

long readBound(const wxString& text)
{
    int value = -1;
    return parseWholeInt(text, value) && value >= 0 ? value : -1;
}

void writeFind(wxXmlNode* element, const findSettings& find)
{
    replaceAttribute(element, "query", find.query);
    replaceAttribute(element, "where", scopeNames[static_cast<int>(find.scope)]);
    replaceAttribute(element, "lines", find.includedLinesOnly ? "included" : "all");
    replaceAttribute(element, "shortest", find.shortest >= 0 ? wxString::Format("%ld", find.shortest) : wxString());
    replaceAttribute(element, "longest", find.longest >= 0 ? wxString::Format("%ld", find.longest) : wxString());
}
}

liveSettings readLiveSettings(wxXmlNode* root)
{
    liveSettings live;
    for (wxXmlNode* child = root ? root->GetChildren() : nullptr; child; child = child->GetNext()) {
        if (child->GetType() != wxXML_ELEMENT_NODE || child->GetName() != "live")
            continue;
        live = liveSettings();
        live.on = child->GetAttribute("updates") != "off";
        int seconds = 0;
        if (parseWholeInt(child->GetAttribute("seconds"), seconds) && seconds >= 1 && seconds <= 3600)
            live.seconds = seconds;
    }
    return live;
}

findSettings readFindSettings(wxXmlNode* root)
{
    findSettings find;
    for (wxXmlNode* child = root ? root->GetChildren() : nullptr; child; child = child->GetNext()) {
        if (child->GetType() != wxXML_ELEMENT_NODE || child->GetName() != "find")
            continue;
        find = findSettings();
        find.query = child->GetAttribute("query");
        const wxString where = child->GetAttribute("where");
        for (int i = 0; i < 3; ++i)
            if (where == scopeNames[i])
                find.scope = static_cast<findScope>(i);
        find.includedLinesOnly = child->GetAttribute("lines") != "all";
        find.shortest = readBound(child->GetAttribute("shortest"));
        find.longest = readBound(child->GetAttribute("longest"));
    }
    return find;
}

void saveFindSettings(wxXmlNode* root, const findSettings& find)
{
    if (!root)
        return;
    bool written = false;
    for (wxXmlNode* child = root->GetChildren(); child; child = child->GetNext()) {
        if (child->GetType() == wxXML_ELEMENT_NODE && child->GetName() == "find") {
            writeFind(child, find);
            written = true;
        }
    }
    if (!written) {
        wxXmlNode* element = new wxXmlNode(wxXML_ELEMENT_NODE, "find");
        writeFind(element, find);
        root->AddChild(element);
    }
}

bool writeSettingsFile(const wxXmlDocument& document, const wxString& path, wxString& reason)
{
    wxMemoryOutputStream bytes;
    reason = "the document cannot be written out";
    return document.Save(bytes, 1) &&
           writeFileReplacing(path, bytes.GetOutputStreamBuffer()->GetBufferStart(), bytes.GetSize(), reason);
}

namespace {
// Whether the document's elements nest no deeper than `limit`, told by a pass
// of expat over the bytes that keeps nothing but the depth.
bool nestedWithin(const std::vector<char>& bytes, int limit)
{
    struct depthCount {
        XML_Parser parser;
        int depth = 0, limit;
        bool deeper = false;
    };
    XML_Parser parser = XML_ParserCreate(nullptr);
    if (!parser)
        return false;
    depthCount count{parser, 0, limit};
    XML_SetUserData(parser, &count);
    XML_SetElementHandler(
        parser,
        [](void* data, const XML_Char*, const XML_Char**) {
            auto* c = static_cast<depthCount*>(data);
            if (++c->depth > c->limit) {
                c->deeper = true;
                XML_StopParser(c->parser, XML_FALSE);
            }
        },
        [](void* data, const XML_Char*) { --static_cast<depthCount*>(data)->depth; });
    // Whether the document is well-formed is wx's to say; here only the depth counts.
    XML_Parse(parser, bytes.data(), static_cast<int>(std::min<std::size_t>(bytes.size(), INT_MAX)), XML_TRUE);
    XML_ParserFree(parser);
    return !count.deeper;
}
}

bool loadSettingsDocument(wxXmlDocument& document, const wxString& path, wxString& reason)
{
    std::vector<char> bytes;
    fileStamp stamp;
    std::string error;
    if (!readFileStamped(toNarrow(path), bytes, stamp, error)) {
        reason = fromNarrow(error);
        return false;
    }
    if (!nestedWithin(bytes, deepestSettingsNesting)) {
        reason = wxString::Format("its elements are nested deeper than %d levels", deepestSettingsNesting);
        return false;
    }
    wxMemoryInputStream in(bytes.data(), bytes.size());
    if (!document.Load(in) || !document.GetRoot()) {
        reason = "it is not a well-formed XML document";
        return false;
    }
    return true;
}
