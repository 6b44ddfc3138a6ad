#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/button.h>
#include <wx/progdlg.h>
#ifdef __WXMSW__
#include <wx/msw/wrapcctl.h>
#endif

#include "export/copyRecordings.h"
#include "support/guiSupport.h"
#include "support/testSupport.h"
#include "export/fakeVolume.h"

namespace {
// wxGTK shows wx's own progress window, one of the top-level windows. wxMSW
// shows the system's task dialog instead, which runs on a thread of its own
// without a wx window: the tests find it by its title and press its button
// with the message the system has for that.
wxGenericProgressDialog* genericProgressWindow()
{
    for (wxWindow* window : wxTopLevelWindows)
        if (auto* dialog = dynamic_cast<wxGenericProgressDialog*>(window))
            if (!dialog->IsBeingDeleted())
                return dialog;
    return nullptr;
}

bool taskDialogShown([[maybe_unused]] const wxString& title)
{
#ifdef __WXMSW__
    return FindWindowW(nullptr, title.wc_str()) != nullptr;
#else
    return false;
#endif
}

bool cancelTaskDialog([[maybe_unused]] const wxString& title)
{
#ifdef __WXMSW__
    if (HWND dialog = FindWindowW(nullptr, title.wc_str())) {
        SendMessageW(dialog, TDM_CLICK_BUTTON, IDCANCEL, 0);
        return true;
    }
#endif
    return false;
}

// Recordings of files in a scratch folder, one byte each but the sizes given.
struct selection {
    scratchDir dir;
    std::vector<recording> records;
    recordingList list;

    explicit selection(std::vector<std::size_t> sizes)
    {
        records.resize(sizes.size());
        for (std::size_t i = 0; i < sizes.size(); ++i) {
            records[i].properties["filename"] =
                dir.write("rec/line/20240115/" + std::to_string(i) + ".wav", std::string(sizes[i], 'a'));
            list.push_back(&records[i]);
        }
    }
};
}

TEST(copyWindows, spaceQuestionsAndRefusals)
{
    selection s({600, 400});
    const std::string into = s.dir.at("into");
    wxTEST_DIALOG(EXPECT_FALSE(copyRecordings(into, nullptr, CopyRequest{nullptr}, s.list, volumeOf(999, tera))),
                  expectMessage(wxOK, "There is not enough free space to make a copy (999 bytes free, 1000 bytes "
                                      "required)",
                                "Not enough disk space"));
    wxTEST_DIALOG(
        EXPECT_FALSE(copyRecordings(into, nullptr, CopyRequest{nullptr}, s.list, volumeOf(5000, tera))),
        expectMessage(wxNO,
                      "After the copy is done, there will be less than 1073741824 bytes available.\n\nDo you want "
                      "to continue?",
                      "Warning: low on disk space"));
    EXPECT_FALSE(wxDirExists(wxString::FromUTF8(into)));

    std::vector<std::string> copied;
    wxTEST_DIALOG(EXPECT_TRUE(copyRecordings(into, &copied, CopyRequest{nullptr}, s.list, volumeOf(5000, tera))),
                  expectMessage(wxYES));
    EXPECT_EQ(2u, copied.size());
}

TEST(copyWindows, cancelInTheProgressWindowRollsBack)
{
    selection s({10, 10, 10, 10});
    copySystem system = volumeOf(tera, tera);
    int files = 0;
    system.copyFile = [&](const wxString& from, const wxString& to, const std::function<bool(std::uint64_t)>& p,
                          wxString& error) {
        if (++files == 3) {
            wxGenericProgressDialog* dialog = genericProgressWindow();
            if (!dialog) {
                EXPECT_TRUE(cancelTaskDialog("Copying files")) << "no progress window";
            } else {
                EXPECT_EQ("Copying files", dialog->GetTitle());
                EXPECT_EQ("Copying files...", dialog->GetMessage());
                EXPECT_EQ(1000000, dialog->GetRange());
                auto* cancel = dynamic_cast<wxButton*>(dialog->FindWindow(wxID_CANCEL));
                EXPECT_NE(nullptr, cancel);
                if (cancel) {
                    wxCommandEvent click(wxEVT_BUTTON, wxID_CANCEL);
                    click.SetEventObject(cancel);
                    cancel->ProcessWindowEvent(click);
                }
            }
        }
        return copyFileContents(from, to, p, error);
    };
    std::vector<std::string> copied;
    EXPECT_FALSE(copyRecordings(s.dir.at("into"), &copied, CopyRequest{nullptr}, s.list, system));
    EXPECT_FALSE(copied.empty());
    for (const std::string& target : copied)
        EXPECT_FALSE(wxFileExists(wxString::FromUTF8(target))) << target;
    EXPECT_FALSE(genericProgressWindow() || taskDialogShown("Copying files") || taskDialogShown("Copying cancelled"))
        << "both progress windows are gone";
}

TEST(copyWindows, filesThatFailAreNamedOnce)
{
    selection s({5, 5});
    const std::string missing = s.dir.at("rec/line/20240115/missing.wav");
    s.records[0].properties["filename"] = missing;
    // The reason is the one the system's copy gives for a missing file, in
    // words that differ from system to system.
    wxString reason;
    copyFileContents(wxString::FromUTF8(missing), wxString::FromUTF8(s.dir.at("probe")),
                     [](std::uint64_t) { return true; }, reason);
    ASSERT_FALSE(reason.empty());
    const recording unnamed; // no file name: skipped, not a failure
    s.list.push_back(&unnamed);
    std::vector<std::string> copied;
    wxTEST_DIALOG(EXPECT_TRUE(copyRecordings(s.dir.at("into"), &copied, CopyRequest{nullptr}, s.list,
                                             volumeOf(tera, tera))),
                  expectMessage(wxOK,
                                "1 recording could not be copied:\n\n" + wxString::FromUTF8(missing) +
                                    "\n    " + reason,
                                "Copy incomplete"));
    EXPECT_EQ(1u, copied.size());
}
