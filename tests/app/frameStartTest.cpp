#include <gtest/gtest.h>

#include <ctime>
#include <map>
#include <memory>

#include <wx/checkbox.h>
#include <wx/dcmemory.h>
#include <wx/display.h>
#include <wx/menu.h>
#include <wx/splash.h>
#include <wx/statusbr.h>
#include <wx/toolbar.h>

#include "app/commands.h"
#include "app/configError.h"
#include "app/orvistaFrame.h"
#include "display/vSingleTimeline.h"
#include "display/vTimeline.h"
#include "recdb/loggerIni.h"
#include "support/guiSupport.h"
#include "support/systemSupport.h"
#include "support/testSupport.h"
#include "app/frameFixture.h"

namespace {
const char* const loadFailure = "Could not load configuration file(s), aborting.";
const char* const iniMissing =
    "Could not find the Voxtrail configuration file, logger.ini.\nPlease specify its location.";

int splashScreens()
{
    int count = 0;
    for (wxWindow* window : wxTopLevelWindows)
        if (dynamic_cast<wxSplashScreen*>(window) && !window->IsBeingDeleted())
            ++count;
    return count;
}
}

TEST_F(frameStart, missingOrBrokenConfigurationEndsWithMessageAndWritesNothing)
{
    // No settings file at all.
    wxTEST_DIALOG(EXPECT_THROW(start(), configError), expectMessage(wxOK, loadFailure, "Orvista"));
    EXPECT_FALSE(wxFileExists(dir.at("settings/orv.xml")));

    // A settings file that is not well-formed stays as it was.
    const std::string broken = "<?xml version=\"1.0\"?>\n<orvista><paths logger-ini='x'></orvista>";
    dir.write("settings/orv.xml", broken);
    wxTEST_DIALOG(EXPECT_THROW(start(), configError), expectMessage(wxOK, loadFailure, "Orvista"));
    EXPECT_EQ(broken, readWholeFile(dir.at("settings/orv.xml")));

    // A good settings file but no schema.
    writeSettings("<paths/>");
    wxRemoveFile(dir.at("program/orv-config-schema.xml"));
    wxTEST_DIALOG(EXPECT_THROW(start(), configError), expectMessage(wxOK, loadFailure, "Orvista"));
}

TEST_F(frameStart, missingLoggerIniIsAskedForUntilChosen)
{
    if (loggerIniExists(""))
        GTEST_SKIP() << "this Windows has a logger.ini in its own folder";
    writeSettings("<paths logger-ini='' copy-to='/copies'/><startup kind='day'/>");
    std::string chosen = writeLoggerIni();
    std::unique_ptr<orvistaFrame> frame;
    wxTEST_DIALOG(frame = start(), expectMessage(wxOK, iniMissing, "Orvista"),
                  expectFileChoice(wxString::FromUTF8(chosen)).inspect([](wxFileDialog* dialog) {
                      EXPECT_EQ("Specify logger.ini location", dialog->GetMessage());
                      // wxMSW names a bare pattern: "logger.ini files (logger.ini)|logger.ini".
                      EXPECT_EQ("logger.ini", dialog->GetWildcard().AfterLast('|'));
                      EXPECT_TRUE(dialog->HasFlag(wxFD_OPEN));
                      EXPECT_TRUE(dialog->HasFlag(wxFD_FILE_MUST_EXIST));
                      EXPECT_EQ(0, splashScreens()) << "the splash screen comes only after logger.ini is found";
                  }));
    ASSERT_TRUE(frame);
    EXPECT_EQ(chosen, frame->session().loggerIni());
    wxXmlNode* paths = frame->session().settings().GetRoot()->GetChildren();
    EXPECT_EQ(wxString::FromUTF8(chosen), paths->GetAttribute("logger-ini"));
    // Removed and appended again: it now follows "copy-to".
    EXPECT_EQ("copy-to", paths->GetAttributes()->GetName());
    ASSERT_EQ(2u, frame->session().channels().size());
    EXPECT_EQ("Alpha", frame->session().channels().begin()->first);

    // The choice reaches the file when the program ends normally.
    frame.reset();
    EXPECT_NE(std::string::npos, readWholeFile(dir.at("settings/orv.xml")).find("logger-ini=\"" + chosen + "\""));
}

TEST_F(frameStart, cancellingTheQuestionOrTheFileDialogEndsStartUp)
{
    if (loggerIniExists(""))
        GTEST_SKIP() << "this Windows has a logger.ini in its own folder";
    // Written as a user would, not as the program would save it, so that any
    // write shows in the bytes.
    const std::string settings = readWholeFile(writeSettings("<paths   copy-to='/copies' />"));
    wxTEST_DIALOG(EXPECT_THROW(start(), configError), expectMessage(wxCANCEL, iniMissing));
    EXPECT_EQ(0, splashScreens());
    EXPECT_EQ(settings, readWholeFile(dir.at("settings/orv.xml"))) << "cancelling the question";

    wxTEST_DIALOG(EXPECT_THROW(start(), configError), expectMessage(wxOK, iniMissing),
                  expectFileChoice(wxString(), wxID_CANCEL));
    EXPECT_EQ(0, splashScreens());
    EXPECT_EQ(settings, readWholeFile(dir.at("settings/orv.xml"))) << "cancelling the file dialog";
}

TEST_F(frameStart, defaultLoggerIniLocationIsTheWindowsFolder)
{
    if (runningOnWindows())
        GTEST_SKIP() << "Windows names its folder itself (GetWindowsDirectory); no test can point it at a scratch "
                        "folder";
    writeSettings("<startup/>");
    writeLoggerIni("windows/logger.ini");
    auto frame = start(); // no dialog expected
    EXPECT_EQ("", frame->session().loggerIni());
    EXPECT_EQ(2u, frame->session().channels().size());
}

// Reading the values is the settings' and the session's business; here they
// reach the window: its size, the panel's view and selection, the lines' boxes.
TEST_F(frameStart, startupValuesReachTheWindow)
{
    std::string ini = writeLoggerIni();
    writeSettings("<paths logger-ini='" + ini +
                  "'/><startup last-view-begin='2024-01-10 08:00:00' last-view-end='2024-01-11 08:00:00' "
                  "last-selection-begin='2024-01-10 09:00:00' last-selection-end='2024-01-10 10:00:00' "
                  "window-x0='40' window-y0='30' window-dx='900' window-dy='500'>"
                  "<line name='Alpha' selected='false'/></startup>");
    auto frame = start();
    const vTimelineDisplayState& shown = frame->panel()->model().state();
    const double viewBegin = static_cast<double>(wxDateTime(10, wxDateTime::Jan, 2024, 8, 0, 0).GetTicks());
    EXPECT_EQ(viewBegin, shown.viewBegin);
    EXPECT_EQ(viewBegin + 86400, shown.viewEnd);
    EXPECT_EQ(viewBegin + 3600, shown.selectionBegin);
    EXPECT_EQ(viewBegin + 7200, shown.selectionEnd);
    EXPECT_FALSE(frame->panel()->lineCheckBox(0)->GetValue()) << "Alpha, the first in name order";
    EXPECT_TRUE(frame->panel()->lineCheckBox(1)->GetValue());
    EXPECT_EQ(wxSize(900, 500), frame->GetSize());
    EXPECT_FALSE(frame->IsMaximized());
}

TEST_F(frameStart, windowBarsAndMenusAsDesigned)
{
    std::string ini = writeLoggerIni();
    writeSettings("<paths logger-ini='" + ini + "'/>");
    auto frame = start();
    EXPECT_EQ("VMK Orvista", frame->GetTitle());
    EXPECT_EQ("frame", frame->GetName());

    wxStatusBar* status = frame->GetStatusBar();
    ASSERT_NE(nullptr, status);
    EXPECT_EQ(1, status->GetFieldsCount());
    EXPECT_EQ("status_line", status->GetName());

    wxToolBar* tools = frame->GetToolBar();
    ASSERT_NE(nullptr, tools);
    EXPECT_EQ("toolbar", tools->GetName());
    const int expected[] = {cmdRefresh, cmdConfigure, -1, cmdZoomIn, cmdZoomOut, cmdZoomSelection, cmdFind, -1,
                            cmdCopyTo, cmdOpenInCasebinder, cmdOpenInTracewise, cmdOpenCopyInCasebinder,
                            cmdOpenCopyInTracewise, cmdOpenCopyInLivecue};
    ASSERT_EQ(static_cast<size_t>(std::size(expected)), tools->GetToolsCount());
    for (size_t i = 0; i < std::size(expected); ++i) {
        const wxToolBarToolBase* tool = tools->GetToolByPos(static_cast<int>(i));
        if (expected[i] == -1) {
            EXPECT_TRUE(tool->IsSeparator()) << "position " << i;
            continue;
        }
        EXPECT_EQ(expected[i], tool->GetId()) << "position " << i;
        EXPECT_TRUE(tool->GetLabel().empty());
        EXPECT_EQ(wxSize(16, 16), tool->GetNormalBitmap().GetSize());
        EXPECT_FALSE(tool->GetDisabledBitmap().IsOk());
    }
    const wxToolBarToolBase* copy = tools->FindById(cmdOpenCopyInLivecue);
    EXPECT_EQ("Open copy in Livecue", copy->GetShortHelp());
    EXPECT_EQ("Open a copy of selected recordings in Livecue", copy->GetLongHelp());
    for (int id : {cmdExit, cmdUsersGuide, cmdAbout})
        EXPECT_EQ(nullptr, tools->FindById(id));

    wxMenuBar* bar = frame->GetMenuBar();
    ASSERT_NE(nullptr, bar);
    ASSERT_EQ(4u, bar->GetMenuCount());
    const char* titles[] = {"File", "View", "Selection", "Help"};
    const std::vector<std::vector<int>> items = {
        {cmdRefresh, -1, cmdConfigure, -1, cmdExit},
        {cmdZoomIn, cmdZoomOut, cmdZoomSelection, -1, cmdFind},
        {cmdCopyTo, cmdOpenInCasebinder, cmdOpenInTracewise, cmdOpenCopyInCasebinder, cmdOpenCopyInTracewise,
         cmdOpenCopyInLivecue},
        {cmdUsersGuide, cmdAbout}};
    for (size_t m = 0; m < 4; ++m) {
        EXPECT_EQ(titles[m], bar->GetMenuLabelText(m));
        wxMenu* menu = bar->GetMenu(m);
        ASSERT_EQ(items[m].size(), menu->GetMenuItemCount()) << titles[m];
        for (size_t i = 0; i < items[m].size(); ++i) {
            wxMenuItem* item = menu->FindItemByPosition(i);
            if (items[m][i] == -1)
                EXPECT_TRUE(item->IsSeparator());
            else
                EXPECT_EQ(items[m][i], item->GetId());
        }
    }
    wxMenuItem* about = bar->FindItem(cmdAbout);
    EXPECT_EQ("About...", about->GetItemLabel());
    EXPECT_EQ("About Orvista", about->GetHelp());
    EXPECT_EQ("User's guide", bar->FindItem(cmdUsersGuide)->GetItemLabelText());
}

TEST(resourceImages, picturesHaveTheirSizes)
{
    for (int id : {105, 106, 107, 111, 112, 113, 114, 115, 116, 117, 118}) {
        wxImage image = loadResourceImage(id);
        ASSERT_TRUE(image.IsOk()) << id;
        EXPECT_EQ(16, image.GetWidth()) << id;
        EXPECT_EQ(16, image.GetHeight()) << id;
        EXPECT_TRUE(image.HasAlpha()) << id;
    }
    wxImage splash = loadResourceImage(110);
    ASSERT_TRUE(splash.IsOk());
    EXPECT_EQ(wxSize(421, 201), splash.GetSize());
    EXPECT_FALSE(loadResourceImage(108).IsOk());
}

TEST_F(frameStart, zoomCommandsReachThePanel)
{
    std::string ini = writeLoggerIni();
    writeSettings("<paths logger-ini='" + ini +
                  "'/><startup last-view-begin='2024-01-10 00:00:00' last-view-end='2024-01-11 00:00:00' "
                  "last-selection-begin='2024-01-10 12:00:00' last-selection-end='2024-01-10 12:00:00'/>");
    auto frame = start();
    ASSERT_NE(nullptr, frame->panel());
    const vTimelineDisplayState* state = frame->panel()->displayState();
    EXPECT_EQ(2u, frame->panel()->lineCount());
    auto command = [&](int id) {
        wxCommandEvent event(wxEVT_MENU, id);
        frame->ProcessWindowEvent(event);
    };
    // A day zoomed in twice shows six hours about the same centre; zoomed out
    // twice, the same day again.
    const double span = state->viewEnd - state->viewBegin;
    const double centre = (state->viewBegin + state->viewEnd) / 2;
    command(cmdZoomIn);
    command(cmdZoomIn);
    EXPECT_DOUBLE_EQ(6 * 3600.0, state->viewEnd - state->viewBegin);
    EXPECT_DOUBLE_EQ(centre, (state->viewBegin + state->viewEnd) / 2);
    command(cmdZoomOut);
    command(cmdZoomOut);
    EXPECT_DOUBLE_EQ(span, state->viewEnd - state->viewBegin);
    EXPECT_DOUBLE_EQ(centre - span / 2, state->viewBegin);

    const double viewBegin = state->viewBegin;
    wxTEST_DIALOG(command(cmdZoomSelection),
                  expectMessage(wxOK, "The selection has zero length!", "Error!"));
    EXPECT_EQ(viewBegin, state->viewBegin) << "the view is unchanged";
}

TEST_F(frameStart, absurdWindowGeometryStillGivesAVisibleWindow)
{
    std::string ini = writeLoggerIni();
    for (const char* geometry : {"window-x0='-90000' window-y0='70000' window-dx='800' window-dy='600'",
                                 "window-x0='10' window-y0='10' window-dx='2147483647' window-dy='-5'"}) {
        writeSettings("<paths logger-ini='" + ini + "'/><startup " + geometry + "/>");
        auto frame = start();
        wxRect screen = wxDisplay(0u).GetGeometry();
        EXPECT_TRUE(screen.Intersects(frame->GetRect())) << geometry;
        EXPECT_LE(frame->GetSize().x, 32767) << geometry;
        EXPECT_GE(frame->GetSize().y, 1) << geometry;
    }
}

namespace {
// Today's catalog of a line as the logger keeps it: calls given as instants,
// each put into the folder of its local day.
void writeCalls(scratchDir& dir, const std::string& line, const std::vector<std::int64_t>& starts)
{
    std::map<std::string, std::string> days;
    for (std::int64_t start : starts) {
        const wxDateTime when(static_cast<time_t>(start));
        const std::string day = when.Format("%Y%m%d").utf8_string();
        days[day] += "<file><hdr><au_hdr><data_size>4800000</data_size><sample_rate>8000</sample_rate></au_hdr>"
                     "<vmk_hdr><date>" + day + "</date><time>" + when.Format("%H%M%S").utf8_string() +
                     "</time><number>" + std::to_string(start) + "</number></vmk_hdr></hdr></file>";
    }
    for (const auto& day : days)
        dir.write("storage/" + line + "/" + day.first + "/catalog.xml", "<vmk_catalog>" + day.second + "</vmk_catalog>");
}

bool rowShowsCallAt(vSingleTimeline& row, std::int64_t t)
{
    const wxSize size = row.GetClientSize();
    wxBitmap bitmap(size, 24);
    {
        wxMemoryDC dc(bitmap);
        row.draw(dc, size);
    }
    const wxImage image = bitmap.ConvertToImage();
    const int x = row.timeToX(static_cast<double>(t), size.x);
    int lit = 0;
    for (int y = 0; y < 3; ++y) // above the middle line
        lit += image.GetRed(x, y) + image.GetGreen(x, y) + image.GetBlue(x, y) > 0;
    return lit == 3;
}
}

// A call the logger writes while the program runs is on screen at the next
// look, and the view and the selection stay where they were.
TEST_F(frameStart, newCallsOfTodayAppearWithoutRefresh)
{
    std::string ini = writeLoggerIni();
    const std::int64_t now = static_cast<std::int64_t>(std::time(nullptr));
    writeCalls(dir, "Alpha", {now - 7200});
    writeSettings("<paths logger-ini='" + ini + "'/><startup kind='day'/><live seconds='3600'/>");
    auto frame = start();
    vTimeline* panel = frame->panel();
    vSingleTimeline* row = panel->lineRow(0); // Alpha, first in name order
    frame->Show();
    // Each drawing asks for what it lacks; the workers bring it.
    ASSERT_TRUE(yieldUntil([&] { return rowShowsCallAt(*row, now - 7200 + 30) && !row->isWaiting(); }));
    EXPECT_FALSE(rowShowsCallAt(*row, now - 1800 + 30));
    const vTimelineDisplayState before = panel->model().state();

    writeCalls(dir, "Alpha", {now - 7200, now - 1800});
    frame->lookForNews();
    EXPECT_TRUE(yieldUntil([&] { return rowShowsCallAt(*row, now - 1800 + 30) && !row->isWaiting(); }));
    EXPECT_TRUE(rowShowsCallAt(*row, now - 7200 + 30));
    const vTimelineDisplayState& after = panel->model().state();
    EXPECT_EQ(before.viewBegin, after.viewBegin);
    EXPECT_EQ(before.viewEnd, after.viewEnd);
    EXPECT_EQ(before.selectionBegin, after.selectionBegin);
    EXPECT_EQ(before.selectionEnd, after.selectionEnd);
}
