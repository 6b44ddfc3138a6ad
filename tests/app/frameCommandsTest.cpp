#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <utility>

#include <wx/accel.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/filename.h>
#include <wx/menu.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/toolbar.h>

#include "app/aboutDialog.h"
#include "app/commands.h"
#include "app/frameFixture.h"
#include "display/vSingleTimeline.h"
#include "display/vTimeline.h"
#include "support/guiSupport.h"
#include "support/systemSupport.h"
#include "xmlconfig/configuratorDialog.h"

namespace {
const char* const lastWeekOfJanuary =
    "last-view-begin='2024-01-15 00:00:00' last-view-end='2024-01-16 00:00:00' "
    "last-selection-begin='2024-01-15 08:00:00' last-selection-end='2024-01-15 10:00:00'";

class frameCommands : public frameStart {
protected:
    std::unique_ptr<orvistaFrame> startWith(const std::string& startup)
    {
        writeSettings("<paths logger-ini='" + writeLoggerIni() + "'/>" + startup);
        return start();
    }

    static void command(orvistaFrame* frame, int id)
    {
        wxCommandEvent event(wxEVT_MENU, id);
        frame->ProcessWindowEvent(event);
    }

    // Closes the frame as the user does: the Exit command or the close box
    // (which asks the window to close, as Close does). The frame destroys
    // itself; its destructor writes the settings file.
    std::string closeAndRead(std::unique_ptr<orvistaFrame> frame, bool byExit)
    {
        orvistaFrame* window = frame.release();
        if (byExit)
            command(window, cmdExit);
        else
            window->Close();
        wxTheApp->ProcessIdle();
        EXPECT_FALSE(wxTopLevelWindows.Find(window)) << "the close was vetoed or never destroyed the frame";
        return readWholeFile(dir.at("settings/orv.xml"));
    }

    static void setIncluded(vTimeline* panel, size_t line, bool included)
    {
        wxCheckBox* box = panel->lineCheckBox(line);
        box->SetValue(included);
        wxCommandEvent event(wxEVT_CHECKBOX, box->GetId());
        event.SetEventObject(box);
        box->ProcessWindowEvent(event);
    }
};
}

TEST_F(frameCommands, viewLinesAndWindowComeBackAfterExit)
{
    auto frame = startWith(std::string("<startup ") + lastWeekOfJanuary +
                           " window-x0='50' window-y0='60' window-dx='900' window-dy='600'/>");
    command(frame.get(), cmdZoomIn); // 06:00 to 18:00
    setIncluded(frame->panel(), 1, false); // "Front desk"
    const wxRect rect = frame->GetRect();
    const std::string saved = closeAndRead(std::move(frame), true);
    EXPECT_NE(std::string::npos,
              saved.find("last-view-begin=\"2024-01-15 06:00:00\" last-view-end=\"2024-01-15 18:00:00\" "
                         "last-selection-begin=\"2024-01-15 08:00:00\" last-selection-end=\"2024-01-15 10:00:00\" "
                         "window-x0=\"" + std::to_string(rect.x) + "\" window-y0=\"" + std::to_string(rect.y) +
                         "\" window-dx=\"900\" window-dy=\"600\" window-maximized=\"false\""))
        << saved;
    EXPECT_NE(std::string::npos, saved.find("<line name=\"Alpha\" selected=\"true\"/>\n  "
                                            "<line name=\"Front desk\" selected=\"false\"/>"))
        << saved;

    frame = start();
    EXPECT_EQ(rect, frame->GetRect());
    EXPECT_EQ(12 * 3600.0, frame->session().startup().view.viewEnd - frame->session().startup().view.viewBegin);
    EXPECT_TRUE(frame->panel()->lineCheckBox(0)->GetValue());
    EXPECT_FALSE(frame->panel()->lineCheckBox(1)->GetValue());
    EXPECT_FALSE(frame->panel()->lineRow(1)->isIncluded());
}

TEST_F(frameCommands, closeBoxRewritesStartupButKeepsItsKind)
{
    // The last week is shown whatever the stored view says; the close still
    // writes the view, leaves "kind" alone, drops the comment and the line that
    // no longer exists, and sorts the lines.
    auto frame = startWith("<startup kind='week' last-view-begin='2001-01-01 00:00:00'><!-- mine -->"
                           "<line name='Old' selected='false'/><line name='Front desk' selected='false'/>"
                           "</startup>");
    const double week = frame->session().startup().view.viewEnd - frame->session().startup().view.viewBegin;
    EXPECT_NEAR(7 * 86400.0, week, 3600.0);
    const std::string saved = closeAndRead(std::move(frame), false);
    EXPECT_NE(std::string::npos, saved.find("<startup kind=\"week\" last-view-begin=\"")) << saved;
    EXPECT_EQ(std::string::npos, saved.find("2001-01-01")) << saved;
    EXPECT_EQ(std::string::npos, saved.find("mine")) << saved;
    EXPECT_EQ(std::string::npos, saved.find("Old")) << saved;
    EXPECT_NE(std::string::npos, saved.find("<line name=\"Alpha\" selected=\"true\"/>\n  "
                                            "<line name=\"Front desk\" selected=\"false\"/>\n </startup>"))
        << saved;
}

TEST_F(frameCommands, everyCommandWorksOrIsVisiblyDisabled)
{
    auto frame = startWith("");
    frame->UpdateWindowUI(wxUPDATE_UI_RECURSE);
    wxMenuBar* menus = frame->GetMenuBar();
    wxToolBar* tools = frame->GetToolBar();
    std::set<std::pair<int, int>> shortcuts;
    for (const ::command& entry : commandTable()) {
        if (entry.id == 0)
            continue;
        SCOPED_TRACE(entry.label);
        wxMenuItem* item = menus->FindItem(entry.id);
        ASSERT_NE(nullptr, item);
        EXPECT_EQ(entry.label, item->GetItemLabelText());
        // The shortcut shown is one the toolkit understands, and no other command's.
        std::unique_ptr<wxAcceleratorEntry> keys(item->GetAccel());
        EXPECT_EQ(entry.keys != nullptr, keys != nullptr);
        if (keys) {
            EXPECT_TRUE(keys->IsOk());
            EXPECT_TRUE(shortcuts.emplace(keys->GetFlags(), keys->GetKeyCode()).second) << entry.keys;
        }
        EXPECT_EQ(entry.help, item->GetHelp());
        EXPECT_EQ(entry.menu, menus->GetMenuLabelText(menus->FindMenu(entry.menu)));
        const bool works = entry.run != nullptr && entry.enabled(*frame);
        EXPECT_EQ(works, item->IsEnabled());
        if (entry.picture != -1) {
            EXPECT_EQ(works, tools->GetToolEnabled(entry.id));
        }
    }
}

TEST_F(frameCommands, aboutShowsProgramAndVersion)
{
    auto frame = startWith("");
    bool shown = false;
    auto check = [&](orvAboutDialog* dialog) {
        shown = true;
        EXPECT_EQ("About Orvista", dialog->GetTitle());
        EXPECT_EQ("dialog", dialog->GetName());
        EXPECT_EQ(frame.get(), dialog->GetParent());
        auto* outer = dynamic_cast<wxBoxSizer*>(dialog->GetSizer());
        ASSERT_TRUE(outer && outer->GetOrientation() == wxHORIZONTAL);
        auto* inner = dynamic_cast<wxBoxSizer*>(outer->GetItem(size_t(0))->GetSizer());
        ASSERT_TRUE(inner && inner->GetOrientation() == wxVERTICAL);
        auto* text = dynamic_cast<wxStaticText*>(inner->GetItem(size_t(0))->GetWindow());
        auto* button = dynamic_cast<wxButton*>(inner->GetItem(size_t(1))->GetWindow());
        ASSERT_TRUE(text && button);
        EXPECT_EQ("staticText", text->GetName());
        EXPECT_EQ("button", button->GetName());
        EXPECT_EQ(wxID_OK, button->GetId());
        const std::string about = text->GetLabel().utf8_string();
        EXPECT_EQ(0u, about.find("Orvista v. 0.0.7.0\n(binary v. 0.0.7.0)\n\nOrvista displays Voxtrail recording "
                                 "channel timelines\n")) << about;
        EXPECT_EQ(3, std::count(about.begin() + about.find("\n\n", 40) + 2, about.end(), '\n') + 1)
            << "three lines of the maker's details";
    };
    struct expectAbout : wxExpectModalBase<orvAboutDialog, expectAbout> {
        std::function<void(orvAboutDialog*)> check;
        explicit expectAbout(std::function<void(orvAboutDialog*)> c) : check(std::move(c)) {}
        int OnInvoked(orvAboutDialog* dialog) const override
        {
            check(dialog);
            return wxID_OK;
        }
    };
    wxTEST_DIALOG(command(frame.get(), cmdAbout), expectAbout(check));
    EXPECT_TRUE(shown);
}

TEST_F(frameCommands, usersGuideOpensWithTheDesktopViewerOrIsReportedMissing)
{
    auto frame = startWith("");
    wxTEST_DIALOG(command(frame.get(), cmdUsersGuide),
                  expectMessage(wxOK,
                                "The user guide has not been found. Reinstalling the application may solve this "
                                "problem.",
                                "File not found"));

    // The desktop's opener gets the path as one argument.
    const std::string guide = dir.write("program/guide.pdf", "%PDF-1.4\n");
    const std::string opened = dir.at("opened.txt");
    const std::string opener = dir.write("bin/xdg-open", "#!/bin/sh\nprintf '%s|%s' \"$#\" \"$1\" > '" + opened + "'\n");
    if (!makeExecutable(opener))
        GTEST_SKIP() << "Windows opens documents through its shell, not with xdg-open";
    scopedEnv path("PATH", wxString::FromUTF8(dir.at("bin")) + ":/usr/bin:/bin");
    command(frame.get(), cmdUsersGuide); // no message expected
    EXPECT_TRUE(yieldUntil([&] { return !readWholeFile(opened).empty(); }));
    EXPECT_EQ("1|" + guide, readWholeFile(opened));
}

TEST_F(frameCommands, refreshRereadsTheLinesAndReleasesTheOldOnes)
{
    auto frame = startWith(std::string("<startup ") + lastWeekOfJanuary + "/>");
    // Shown, so that the rows paint while the scan yields and afterwards: a
    // sanitizer build then checks that no row paints from a released timeline.
    frame->Show();
    ASSERT_TRUE(yieldUntil([&] { return frame->IsShownOnScreen(); }));
    vTimeline* panel = frame->panel();
    setIncluded(panel, 0, false);
    command(frame.get(), cmdZoomIn);
    const std::string ini = dir.at("logger/logger.ini");
    dir.mkdir("storage/Beta");
    dir.write("logger/logger.ini", readWholeFile(ini) + "[line03]\r\nStoragePath=main\r\nChannelName=Beta\r\n");

    command(frame.get(), cmdRefresh);
    ASSERT_EQ(3u, panel->lineCount());
    ASSERT_EQ(3u, frame->session().lineTimelines().size());
    EXPECT_EQ("Beta", frame->session().lineTimelines()[1]->getName());
    // Every line included again, the view back at its start-up value.
    for (size_t i = 0; i < 3; ++i)
        EXPECT_TRUE(panel->lineCheckBox(i)->GetValue()) << i;
    EXPECT_EQ(frame->session().startup().view.viewBegin, panel->displayState()->viewBegin);
    EXPECT_EQ(frame->session().startup().view.viewEnd, panel->displayState()->viewEnd);
    wxTheApp->Yield(true);

    // A "logger.ini" that has gone: no question, no lines.
    wxRemoveFile(wxString::FromUTF8(ini));
    command(frame.get(), cmdRefresh);
    EXPECT_EQ(0u, panel->lineCount());
    EXPECT_TRUE(frame->session().lineTimelines().empty());
}

TEST_F(frameCommands, gatheringTheSelectionSaysWhenThereIsNothing)
{
    writeSettings("<paths logger-ini='" + writeLoggerIni() + "'/><startup " + lastWeekOfJanuary + "/>");
    dir.write("storage/Alpha/20240115/catalog.xml",
              "<vmk_catalog><file><hdr><au_hdr><data_size>80000</data_size><sample_rate>8000</sample_rate>"
              "</au_hdr><vmk_hdr><date>20240115</date><time>090000</time><number>1</number>"
              "<file_name>/rec/1.wav</file_name></vmk_hdr></hdr></file></vmk_catalog>");
    auto frame = start();
    recordingList found;
    ASSERT_TRUE(frame->gatherSelectedRecordings(found));
    ASSERT_EQ(1u, found.size());
    EXPECT_EQ("/rec/1.wav", found[0]->getProperty("filename"));

    setIncluded(frame->panel(), 0, false); // Alpha
    wxTEST_DIALOG(EXPECT_FALSE(frame->gatherSelectedRecordings(found)),
                  expectMessage(wxOK, "No recordings selected.", "Error"));
    EXPECT_TRUE(found.empty());
}

TEST_F(frameCommands, copyToAsksForTheFolderAndRemembersIt)
{
    writeSettings("<paths logger-ini='" + writeLoggerIni() + "'/><startup " + lastWeekOfJanuary + "/>");
    const std::string source = dir.write("storage/Alpha/20240115/1.wav", "audio");
    dir.write("storage/Alpha/20240115/catalog.xml",
              "<vmk_catalog><file><hdr><au_hdr><data_size>80000</data_size><sample_rate>8000</sample_rate>"
              "</au_hdr><vmk_hdr><date>20240115</date><time>090000</time><number>1</number>"
              "<file_name>" + source + "</file_name></vmk_hdr></hdr></file></vmk_catalog>");
    auto frame = start();
    // As the folder dialog gives them back: with the system's own separators.
    const wxString into = wxFileName(wxString::FromUTF8(dir.mkdir("copies"))).GetFullPath();
    wxTEST_DIALOG(command(frame.get(), cmdCopyTo),
                  expectDirChoice(into).inspect([&](wxDirDialog* dialog) {
                      EXPECT_EQ("Select a directory to put selected files into", dialog->GetMessage());
                      EXPECT_EQ("wxDirCtrl", dialog->GetName());
                  }));
    EXPECT_EQ("audio", readWholeFile(dir.at("copies/Alpha/20240115/1.wav")));
    EXPECT_EQ(into, frame->session().copyToFolder());

    // Nothing selected: the folder is still asked for, and remembered.
    setIncluded(frame->panel(), 0, false);
    const wxString other = wxFileName(wxString::FromUTF8(dir.mkdir("other"))).GetFullPath();
    wxTEST_DIALOG(command(frame.get(), cmdCopyTo), expectDirChoice(other),
                  expectMessage(wxOK, "No recordings selected.", "Error"));
    EXPECT_EQ(other, frame->session().copyToFolder());
    // Cancel in the folder dialog changes nothing.
    wxTEST_DIALOG(command(frame.get(), cmdCopyTo), expectDirChoice(into, wxID_CANCEL));
    EXPECT_EQ(other, frame->session().copyToFolder());
    // The settings file keeps its own value.
    EXPECT_EQ(std::string::npos, closeAndRead(std::move(frame), true).find("copies"));
}

namespace {
// Answers the settings editor: `edit` changes it as a user would, then the
// answer is given as by its buttons (OK stores the panel first).
struct expectEditor : wxExpectModalBase<xmlConfiguratorDialog, expectEditor> {
    std::function<void(xmlConfiguratorDialog*)> edit;
    int answer;
    expectEditor(std::function<void(xmlConfiguratorDialog*)> e, int a) : edit(std::move(e)), answer(a) {}
    int OnInvoked(xmlConfiguratorDialog* dialog) const override
    {
        edit(dialog);
        if (answer == wxID_OK) {
            EXPECT_TRUE(dialog->Validate() && dialog->TransferDataFromWindow());
        }
        return answer;
    }
};

// Selects the root's child item with that label and types into the panel's
// first text field.
void typeIntoFirstField(xmlConfiguratorDialog* dialog, const wxString& item, const wxString& text)
{
    wxTreeCtrl* tree = dialog->documentTree();
    wxTreeItemIdValue cookie;
    for (wxTreeItemId c = tree->GetFirstChild(tree->GetRootItem(), cookie); c.IsOk();
         c = tree->GetNextChild(tree->GetRootItem(), cookie))
        if (tree->GetItemText(c) == item) {
            ASSERT_TRUE(dialog->selectItem(c));
        }
    for (wxWindow* child : dialog->GetChildren())
        if (auto* field = dynamic_cast<xmlTextCtrl*>(child)) {
            field->ChangeValue(text);
            return;
        }
    ADD_FAILURE() << "no text field for " << item.utf8_string();
}
}

TEST_F(frameCommands, configureWritesAtOnceOnOkAndNothingOnCancel)
{
    auto frame = startWith("");
    const std::string path = dir.at("settings/orv.xml");
    const std::string before = readWholeFile(path);
    const std::string logger = dir.at("logger/logger.ini");

    wxTEST_DIALOG(command(frame.get(), cmdConfigure),
                  expectEditor([&](xmlConfiguratorDialog* d) { typeIntoFirstField(d, "Paths", "/elsewhere.ini"); },
                               wxID_CANCEL));
    EXPECT_EQ(before, readWholeFile(path)) << "Cancel leaves the file as it was";
    EXPECT_EQ(wxString::FromUTF8(logger), frame->session().settings().GetRoot()->GetChildren()->GetAttribute("logger-ini"));

    // OK: written at once; the running program keeps its paths until the next start.
    wxTEST_DIALOG(command(frame.get(), cmdConfigure),
                  expectEditor([&](xmlConfiguratorDialog* d) { typeIntoFirstField(d, "Paths", logger); }, wxID_OK));
    EXPECT_NE(before, readWholeFile(path));
    EXPECT_NE(std::string::npos, readWholeFile(path).find("<paths logger-ini=\"" + logger + "\""));
    EXPECT_EQ(logger, frame->session().loggerIni());
}

// Settings that cannot be written are no silent loss: the user is told, the
// edits stay, and the write at exit tries again.
TEST_F(frameCommands, settingsThatCannotBeSavedAreToldAndKeptForTheExit)
{
    auto frame = startWith("");
    const std::string path = dir.at("settings/orv.xml");
    const std::string logger = dir.at("logger/logger.ini");
    const wxString settings = wxString::FromUTF8(settingsDir), away = wxString::FromUTF8(settingsDir + " away");
    ASSERT_TRUE(wxRenameFile(settings, away)) << "the folder is gone: no file can be written there";

    wxTEST_DIALOG(command(frame.get(), cmdConfigure),
                  expectEditor([&](xmlConfiguratorDialog* d) { typeIntoFirstField(d, "Paths", logger); },
                               wxID_OK),
                  expectMessage(wxOK, wxString(), "Orvista"));
    EXPECT_EQ(wxString::FromUTF8(logger), frame->session().settings().GetRoot()->GetChildren()->GetAttribute("logger-ini"));

    ASSERT_TRUE(wxRenameFile(away, settings));
    frame.reset();
    EXPECT_NE(std::string::npos, readWholeFile(path).find("<paths logger-ini=\"" + logger + "\"")) << "saved at exit";
}

namespace {
// Many days of calls on two lines, enough that reading them takes the workers
// a while after the window is shown.
std::string writeBusyArchive(scratchDir& dir, int days)
{
    std::string catalog = "<vmk_catalog>";
    for (int call = 0; call < 200; ++call)
        catalog += "<file><hdr><au_hdr><data_size>80000</data_size><sample_rate>8000</sample_rate></au_hdr>"
                   "<vmk_hdr><date>DATE</date><time>1000" + std::string(call % 60 < 10 ? "0" : "") +
                   std::to_string(call % 60) + "</time><number>" + std::to_string(call) +
                   "</number><file_name>/rec/" + std::to_string(call) + ".wav</file_name></vmk_hdr></hdr></file>";
    catalog += "</vmk_catalog>";
    for (int day = 0; day < days; ++day) {
        const std::string date = wxDateTime(1, wxDateTime::Jan, 2024).Add(wxDateSpan::Days(day)).Format("%Y%m%d").utf8_string();
        std::string text = catalog;
        for (size_t at = text.find("DATE"); at != std::string::npos; at = text.find("DATE", at))
            text.replace(at, 4, date);
        dir.write("storage/Alpha/" + date + "/c.xml", text);
        dir.write("storage/Front desk/" + date + "/c.xml", text);
    }
    return "last-view-begin='2024-01-01 00:00:00' last-view-end='2024-07-01 00:00:00' "
           "last-selection-begin='2024-01-01 00:00:00' last-selection-end='2024-07-01 00:00:00'";
}
}

// Rows hatch what is still being read and fill in as days arrive; Refresh and
// closing the window while the workers read are safe (the sanitizer builds
// check that nothing reads into released timelines).
TEST_F(frameCommands, readingInTheBackgroundSurvivesRefreshAndClose)
{
    const std::string view = writeBusyArchive(dir, 180);
    auto frame = startWith("<startup " + view + "/>");
    frame->Show();
    vTimeline* panel = frame->panel();
    ASSERT_TRUE(yieldUntil([&] { return panel->isWaitingForRecordings(); }));
    command(frame.get(), cmdRefresh); // while the workers read
    ASSERT_TRUE(yieldUntil([&] { return panel->isWaitingForRecordings(); }));

    // A command that needs the whole selection waits for it.
    recordingList found;
    ASSERT_TRUE(frame->gatherSelectedRecordings(found));
    EXPECT_EQ(2u * 180 * 200, found.size());
    ASSERT_TRUE(yieldUntil([&] { return !panel->isWaitingForRecordings(); }, 20000));

    command(frame.get(), cmdRefresh);
    ASSERT_TRUE(yieldUntil([&] { return panel->isWaitingForRecordings(); }));
    closeAndRead(std::move(frame), true); // while the workers read
}
