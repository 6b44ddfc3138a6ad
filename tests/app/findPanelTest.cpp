// The find panel as the user drives it: a number typed in any spelling finds
// its calls where the options say, choosing one makes it the selection the
// Selection commands act on, and the search is remembered.
#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/listctrl.h>
#include <wx/textctrl.h>

#include "app/commands.h"
#include "app/findPanel.h"
#include "app/frameFixture.h"
#include "display/vTimeline.h"
#include "recdb/timeValue.h"
#include "support/guiSupport.h"

namespace {
std::string call(const char* date, const char* time, const char* number, const std::string& file)
{
    return std::string("<file><hdr><au_hdr><data_size>80000</data_size><sample_rate>8000</sample_rate></au_hdr>"
                       "<vmk_hdr><date>") +
           date + "</date><time>" + time + "</time><number>" + number + "</number><file_name>" + file +
           "</file_name></vmk_hdr></hdr></file>";
}

class findCalls : public frameStart {
protected:
    // The view is the 15th of January; the 16th lies outside it. Each call
    // lasts 10 seconds.
    std::unique_ptr<orvistaFrame> startWith(const std::string& more = std::string())
    {
        writeSettings("<paths logger-ini='" + writeLoggerIni() +
                      "'/><startup last-view-begin='2024-01-15 00:00:00' last-view-end='2024-01-16 00:00:00' "
                      "last-selection-begin='2024-01-15 08:00:00' last-selection-end='2024-01-15 10:00:00'/>" +
                      more);
        dir.write("storage/Alpha/20240115/catalog.xml",
                  "<vmk_catalog>" + call("20240115", "090000", "+49 30 1234567", "/rec/a1.wav") +
                      call("20240115", "090015", "0301111", "/rec/a2.wav") +
                      call("20240115", "110000", "0049-30-123 4567", "/rec/a3.wav") + "</vmk_catalog>");
        dir.write("storage/Front desk/20240115/catalog.xml",
                  "<vmk_catalog>" + call("20240115", "090005", "0301999", "/rec/f0.wav") + "</vmk_catalog>");
        dir.write("storage/Front desk/20240116/catalog.xml",
                  "<vmk_catalog>" + call("20240116", "120000", "004930 1234567", "/rec/f1.wav") + "</vmk_catalog>");
        auto frame = start();
        wxCommandEvent event(wxEVT_MENU, cmdFind);
        frame->ProcessWindowEvent(event);
        return frame;
    }

    static std::vector<std::string> find(findPanel* panel, const char* query, findScope scope, bool includedOnly)
    {
        panel->queryField()->SetValue(query);
        dynamic_cast<wxChoice*>(panel->FindWindow("findWhere"))->SetSelection(static_cast<int>(scope));
        dynamic_cast<wxCheckBox*>(panel->FindWindow("findIncludedOnly"))->SetValue(includedOnly);
        EXPECT_TRUE(panel->start());
        panel->waitForSearch();
        std::vector<std::string> files;
        for (std::size_t i = 0; i < panel->hitCount(); ++i)
            files.push_back(panel->hitAt(i).call->fileName());
        EXPECT_EQ(static_cast<long>(files.size()), panel->resultList()->GetItemCount());
        return files;
    }
};
typedef std::vector<std::string> files;
}

TEST_F(findCalls, numbersInAnySpellingAreFoundWhereTheOptionsSay)
{
    auto frame = startWith();
    findPanel* panel = frame->finder();
    ASSERT_TRUE(panel->isOpen());
    EXPECT_EQ(files({"/rec/a1.wav", "/rec/a3.wav"}), find(panel, "0049 30 1234567", findScope::view, true));
    EXPECT_EQ(files({"/rec/a1.wav", "/rec/a3.wav", "/rec/f1.wav"}),
              find(panel, "+4930*", findScope::archive, false));
    EXPECT_EQ(files({"/rec/a1.wav"}), find(panel, "*, !*111, !*999", findScope::selection, true));
    EXPECT_EQ(files({"/rec/f0.wav", "/rec/a2.wav"}), find(panel, "030*, !*567", findScope::archive, true));
    EXPECT_EQ("2 calls found.", panel->statusText());
    EXPECT_EQ(files(), find(panel, "999", findScope::archive, false));
    EXPECT_EQ("No call matches.", panel->statusText());

    // The list shows the file's name before its folder; sorting by a column
    // twice turns the order round.
    find(panel, "", findScope::archive, false);
    EXPECT_EQ("a1.wav  (/rec)", panel->resultList()->GetItemText(0, 5));
    wxListEvent click(wxEVT_LIST_COL_CLICK, panel->resultList()->GetId());
    click.m_col = 4; // label
    panel->resultList()->ProcessWindowEvent(click);
    EXPECT_EQ("+49 30 1234567", panel->resultList()->GetItemText(0, 4));
    panel->resultList()->ProcessWindowEvent(click);
    EXPECT_EQ("0301999", panel->resultList()->GetItemText(0, 4));

    dynamic_cast<wxTextCtrl*>(panel->FindWindow("findShortest"))->SetValue("ten");
    EXPECT_FALSE(panel->start());
    EXPECT_EQ("A length must be a whole number of seconds, or empty.", panel->statusText());
}

TEST_F(findCalls, aChosenCallIsTheSelectionTheCommandsGet)
{
    auto frame = startWith();
    findPanel* panel = frame->finder();
    vTimeline* rows = frame->panel();
    std::map<std::string, bool> states{{"Front desk", false}};
    rows->applyLineStates(states);
    ASSERT_EQ(files({"/rec/a1.wav", "/rec/a3.wav", "/rec/f1.wav"}),
              find(panel, "+49 30 1234567", findScope::archive, false));

    // Down, from the query field, takes the first call of the list.
    wxKeyEvent down(wxEVT_CHAR_HOOK);
    down.m_keyCode = WXK_DOWN;
    panel->ProcessWindowEvent(down);
    const vTimelineDisplayState* shown = rows->displayState();
    const double start = toSeconds(panel->hitAt(0).call->start);
    EXPECT_EQ(start, shown->selectionBegin);
    EXPECT_EQ(start + 10, shown->selectionEnd);
    EXPECT_LE(shown->viewBegin, start - 1700);
    EXPECT_GE(shown->viewEnd, start + 1700);
    // The next call on the line lies in the hour, not in the selection, and the
    // one that overlaps it is on an excluded line: the command gets the call.
    recordingList selected;
    ASSERT_TRUE(frame->gatherSelectedRecordings(selected));
    ASSERT_EQ(1u, selected.size());
    EXPECT_EQ("/rec/a1.wav", selected[0]->fileName());
    EXPECT_EQ("Selected: the call on Alpha at 2024-01-15 09:00:00.", panel->statusText());

    // A call of an excluded line takes its line in.
    panel->showHit(2);
    ASSERT_TRUE(frame->gatherSelectedRecordings(selected));
    ASSERT_EQ(1u, selected.size());
    EXPECT_EQ("/rec/f1.wav", selected[0]->fileName());
    EXPECT_TRUE(rows->lineCheckBox(1)->GetValue());

    // Back to the first call, now with its neighbour on Front desk included.
    panel->showHit(0);
    EXPECT_EQ("Selected: the call on Alpha at 2024-01-15 09:00:00. 1 other call on included lines overlaps the "
              "same time and is selected too.",
              panel->statusText());

    // Refresh replaces the lines the hits point into: the search runs again.
    wxCommandEvent refresh(wxEVT_MENU, cmdRefresh);
    frame->ProcessWindowEvent(refresh);
    panel->waitForSearch();
    ASSERT_EQ(3u, panel->hitCount());
    EXPECT_EQ("/rec/f1.wav", panel->hitAt(2).call->fileName());
}

TEST_F(findCalls, theLastSearchIsRememberedOnlyOnceThePanelWasUsed)
{
    {
        writeSettings("<paths logger-ini='" + writeLoggerIni() + "'/>");
        orvistaFrame* untouched = start().release();
        untouched->Close();
        wxTheApp->ProcessIdle();
        EXPECT_EQ(std::string::npos, readWholeFile(dir.at("settings/orv.xml")).find("<find"));
    }
    orvistaFrame* frame = startWith().release();
    find(frame->finder(), "0301*, !*9", findScope::archive, false);
    dynamic_cast<wxTextCtrl*>(frame->finder()->FindWindow("findLongest"))->SetValue("60");
    frame->Close();
    wxTheApp->ProcessIdle();
    EXPECT_NE(std::string::npos, readWholeFile(dir.at("settings/orv.xml"))
                                     .find("<find query=\"0301*, !*9\" where=\"archive\" lines=\"all\" shortest=\"\" "
                                           "longest=\"60\"/>"));

    auto again = start();
    const findSettings kept = again->finder()->values();
    EXPECT_EQ("0301*, !*9", kept.query);
    EXPECT_EQ(findScope::archive, kept.scope);
    EXPECT_FALSE(kept.includedLinesOnly);
    EXPECT_EQ(-1, kept.shortest);
    EXPECT_EQ(60, kept.longest);
    EXPECT_FALSE(again->finder()->isOpen());
}
