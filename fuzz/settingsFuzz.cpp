// The start-up settings: readStartupSettings on an orv.xml parsed from the
// input, parseLenientDateTime on every attribute (and on the input itself when
// it is no XML), and what saveViewState writes at close read back at start.
#include <string>

#include <wx/mstream.h>
#include <wx/xml/xml.h>

#include "core/settings.h"

#include "fuzzSupport.h"

namespace {
// A fixed "now" keeps every run of an input the same.
wxDateTime fixedNow()
{
    return wxDateTime(15, wxDateTime::Jan, 2024, 10, 30, 0);
}

std::string narrow(const wxString& text)
{
    return std::string(text.utf8_str());
}

void checkLenient(const wxString& text)
{
    wxDateTime parsed;
    if (parseLenientDateTime(text, parsed))
        FUZZ_CHECK(parsed.IsValid(), "accepted as an invalid date-time: " + narrow(text));
}

void lenientOnAttributes(const wxXmlNode* node, int depth)
{
    for (; node && depth < 64; node = node->GetNext()) {
        for (const wxXmlAttribute* a = node->GetAttributes(); a; a = a->GetNext())
            checkLenient(a->GetValue());
        lenientOnAttributes(node->GetChildren(), depth + 1);
    }
}

}

void fuzzSettings(const std::uint8_t* data, std::size_t size)
{
    wxMemoryInputStream in(data, size);
    wxXmlDocument document;
    if (!document.Load(in) || !document.GetRoot()) {
        checkLenient(wxString::FromUTF8(reinterpret_cast<const char*>(data), size));
        return;
    }
    wxXmlNode* root = document.GetRoot();
    lenientOnAttributes(root, 0);
    const startupSettings first = readStartupSettings(root, fixedNow());
    FUZZ_CHECK(!first.copyToDirectory.empty(), "no Copy To... folder");

    // Closing the window writes what was shown; the next start shows it again.
    viewState state;
    state.view = first.view;
    state.window = first.geometry;
    state.lines = first.lineSelection;
    saveViewState(root, state);
    const startupSettings again = readStartupSettings(root, fixedNow());

    bool hasStartup = false;
    for (const wxXmlNode* c = root->GetChildren(); c; c = c->GetNext())
        hasStartup = hasStartup || (c->GetType() == wxXML_ELEMENT_NODE && c->GetName() == "startup");
    if (!hasStartup)
        return;
    const double before[] = {first.view.viewBegin, first.view.viewEnd, first.view.selectionBegin,
                             first.view.selectionEnd};
    const double after[] = {again.view.viewBegin, again.view.viewEnd, again.view.selectionBegin,
                            again.view.selectionEnd};
    bool allStored = true;
    for (double t : before)
        allStored = allStored && !formatSettingsInstant(t).empty();
    if (allStored) {
        for (int i = 0; i < 4; ++i)
            FUZZ_CHECK(formatSettingsInstant(after[i]) == formatSettingsInstant(before[i]),
                       "instant " + std::to_string(i) + ": " + narrow(formatSettingsInstant(before[i])) + " read back as " +
                           narrow(formatSettingsInstant(after[i])));
    }
    FUZZ_CHECK(again.lineSelection == first.lineSelection, "the lines read back differently");
    FUZZ_CHECK(again.hasGeometry, "the window's place was written but not read back");
    FUZZ_CHECK(again.geometry.x == state.window.x && again.geometry.y == state.window.y &&
                   again.geometry.width == state.window.width && again.geometry.height == state.window.height &&
                   again.geometry.maximized == state.window.maximized,
               "the window's place read back differently");
}
