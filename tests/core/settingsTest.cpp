#include <gtest/gtest.h>

#include <wx/sstream.h>
#include <wx/xml/xml.h>

#include "core/settings.h"
#include "recdb/timeValue.h"

namespace {
struct parsedSettings {
    wxXmlDocument document;
    startupSettings settings;
};

std::unique_ptr<parsedSettings> read(const std::string& xml, const wxDateTime& now)
{
    auto result = std::make_unique<parsedSettings>();
    wxStringInputStream in(wxString::FromUTF8(xml));
    EXPECT_TRUE(result->document.Load(in));
    result->settings = readStartupSettings(result->document.GetRoot(), now);
    return result;
}

wxDateTime local(int year, wxDateTime::Month month, int day, int hour = 0, int minute = 0, int second = 0)
{
    return wxDateTime(static_cast<wxDateTime::wxDateTime_t>(day), month, year,
                      static_cast<wxDateTime::wxDateTime_t>(hour), static_cast<wxDateTime::wxDateTime_t>(minute),
                      static_cast<wxDateTime::wxDateTime_t>(second));
}

std::string text(double seconds)
{
    const wxDateTime when = fromSeconds(seconds);
    return seconds != -1 && when.IsValid() ? when.Format("%Y-%m-%d %H:%M:%S").utf8_string() : "invalid";
}

// Built when used: the time zone is fixed at the start of main.
wxDateTime noon()
{
    return local(2024, wxDateTime::Mar, 15, 12, 0, 0);
}
}

TEST(settingsTest, pathsAndDefaults)
{
    auto p = read("<r><paths logger-ini='/x/logger.ini' copy-to='/copies'/></r>", noon());
    EXPECT_EQ("/x/logger.ini", p->settings.loggerIniPath);
    EXPECT_EQ("/copies", p->settings.copyToDirectory);
    EXPECT_NE(nullptr, p->settings.pathsElement);

    // Without values: the default location and the Documents folder; without
    // "startup" all four instants stay invalid and no geometry is applied.
    p = read("<r><paths/></r>", noon());
    EXPECT_EQ("", p->settings.loggerIniPath);
    EXPECT_FALSE(p->settings.copyToDirectory.empty());
    EXPECT_FALSE((p->settings.view.viewBegin != -1));
    EXPECT_FALSE((p->settings.view.selectionEnd != -1));
    EXPECT_FALSE(p->settings.hasGeometry);
    EXPECT_TRUE(p->settings.lineSelection.empty());

    p = read("<r><startup kind='day'/></r>", noon());
    EXPECT_EQ(nullptr, p->settings.pathsElement);
}

TEST(settingsTest, laterElementsOverrideAndLinesAccumulate)
{
    auto p = read("<r><paths logger-ini='/a'/><other logger-ini='/b'/><paths logger-ini='/c'/>"
                  "<startup kind='day'><line name='A' selected='true'/></startup>"
                  "<startup kind='week'><line name='B' selected='yes'/><line name='A' selected='false'/></startup></r>",
                  noon());
    EXPECT_EQ("/c", p->settings.loggerIniPath);
    EXPECT_EQ("2024-03-08 12:00:00", text(p->settings.view.viewBegin));
    ASSERT_EQ(2u, p->settings.lineSelection.size());
    EXPECT_FALSE(p->settings.lineSelection.at("A")); // last occurrence wins
    EXPECT_FALSE(p->settings.lineSelection.at("B")); // only "true" means included
}

TEST(settingsTest, lastViewNeedsAllFourInstants)
{
    auto p = read("<r><startup last-view-begin='2024-01-10 08:00:00' last-view-end='2024-01-11 08:00:00' "
                  "last-selection-begin='2024-01-10 09:30:00' last-selection-end='2024-01-10 09:00:00'/></r>",
                  noon());
    EXPECT_EQ("2024-01-10 08:00:00", text(p->settings.view.viewBegin));
    EXPECT_EQ("2024-01-11 08:00:00", text(p->settings.view.viewEnd));
    // Taken as written, even when the end lies before the begin.
    EXPECT_EQ("2024-01-10 09:30:00", text(p->settings.view.selectionBegin));
    EXPECT_EQ("2024-01-10 09:00:00", text(p->settings.view.selectionEnd));

    for (const char* broken : {"", "garbage", "2024-13-01 00:00:00", "2024-01-10"}) {
        SCOPED_TRACE(broken);
        p = read(std::string("<r><startup kind='last-view' last-view-begin='") + broken +
                     "' last-view-end='2024-01-11 08:00:00' last-selection-begin='2024-01-10 09:30:00' "
                     "last-selection-end='2024-01-10 09:00:00'/></r>",
                 noon());
        EXPECT_EQ("2024-03-14 12:00:00", text(p->settings.view.viewBegin));
        EXPECT_EQ("2024-03-15 12:00:00", text(p->settings.view.viewEnd));
        EXPECT_EQ(text(p->settings.view.viewBegin), text(p->settings.view.selectionBegin));
        EXPECT_EQ(text(p->settings.view.viewEnd), text(p->settings.view.selectionEnd));
    }
}

TEST(settingsTest, relativeKindsUseCalendarArithmetic)
{
    // Month back from 31 March lands on the last day of February (leap year).
    auto p = read("<r><startup kind='month' last-view-begin='2020-01-01 00:00:00'/></r>",
                  local(2024, wxDateTime::Mar, 31, 10, 15, 0));
    EXPECT_EQ("2024-02-29 10:15:00", text(p->settings.view.viewBegin));
    EXPECT_EQ("2024-03-31 10:15:00", text(p->settings.view.viewEnd));

    // Seven calendar days keep the clock time across the spring change (TZ=Europe/Berlin).
    p = read("<r><startup kind='week'/></r>", local(2024, wxDateTime::Mar, 31, 12, 0, 0));
    EXPECT_EQ("2024-03-24 12:00:00", text(p->settings.view.viewBegin));
    EXPECT_EQ(text(p->settings.view.viewBegin), text(p->settings.view.selectionBegin));

    p = read("<r><startup kind='day'/></r>", local(2024, wxDateTime::Jan, 1, 0, 30, 0));
    EXPECT_EQ("2023-12-31 00:30:00", text(p->settings.view.viewBegin));

    // Unknown kinds (including case variants) leave everything invalid.
    for (const char* kind : {"Week", "year", ""}) {
        p = read(std::string("<r><startup kind='") + kind + "'/></r>", noon());
        EXPECT_FALSE((p->settings.view.viewBegin != -1)) << kind;
        EXPECT_FALSE((p->settings.view.viewEnd != -1)) << kind;
    }
}

TEST(settingsTest, windowGeometryOnlyWhenComplete)
{
    auto p = read("<r><startup window-x0='10' window-y0='-20' window-dx='800' window-dy='600' "
                  "window-maximized='true'/></r>",
                  noon());
    ASSERT_TRUE(p->settings.hasGeometry);
    EXPECT_EQ(10, p->settings.geometry.x);
    EXPECT_EQ(-20, p->settings.geometry.y);
    EXPECT_EQ(800, p->settings.geometry.width);
    EXPECT_EQ(600, p->settings.geometry.height);
    EXPECT_TRUE(p->settings.geometry.maximized);

    for (const char* broken : {"window-dy='6x'", "window-dy=''", "window-dy=' 600'", "window-dy='99999999999'"}) {
        p = read(std::string("<r><startup window-x0='10' window-y0='20' window-dx='800' ") + broken +
                     " window-maximized='true'/></r>",
                 noon());
        EXPECT_FALSE(p->settings.hasGeometry) << broken;
    }
    p = read("<r><startup window-x0='10' window-y0='20' window-dx='800' window-maximized='true'/></r>", noon());
    EXPECT_FALSE(p->settings.hasGeometry);
}

TEST(settingsTest, lenientDateTimeForms)
{
    wxDateTime when;
    const char* accepted[] = {"2024-01-15 09:05:07", "  2024-01-15 09:05:07 ", "2024-01-15T09:05:07",
                              "09:05:07 2024-01-15", "2024-01-15 09:05"};
    for (const char* form : accepted) {
        ASSERT_TRUE(parseLenientDateTime(form, when)) << form;
        EXPECT_EQ(15, when.GetDay()) << form;
        EXPECT_EQ(9, when.GetHour()) << form;
        EXPECT_EQ(5, when.GetMinute()) << form;
    }
    const char* rejected[] = {"", "today", "2024-01-15 09:05:07 trailing", "2024-02-30 10:00:00", "1e9"};
    for (const char* form : rejected)
        EXPECT_FALSE(parseLenientDateTime(form, when)) << form;
}

TEST(settingsTest, liveUpdatesAreOnUnlessTurnedOff)
{
    const struct {
        const char* xml;
        bool on;
        int seconds;
    } cases[] = {
        {"<r/>", true, 3},
        {"<r><live updates='off'/></r>", false, 3},
        {"<r><live updates='on' seconds='10'/></r>", true, 10},
        {"<r><live seconds='0'/><live seconds='1'/></r>", true, 1},        // the last counts
        {"<r><live updates='off'/><live seconds='5'/></r>", true, 5},       // whole, not merged
        {"<r><live seconds='3601'/></r>", true, 3},                        // beyond an hour
        {"<r><live seconds='ten'/></r>", true, 3},
    };
    for (const auto& c : cases) {
        auto p = read(c.xml, noon());
        const liveSettings live = readLiveSettings(p->document.GetRoot());
        EXPECT_EQ(c.on, live.on) << c.xml;
        EXPECT_EQ(c.seconds, live.seconds) << c.xml;
    }
}
