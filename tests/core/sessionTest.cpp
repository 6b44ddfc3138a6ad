#include <gtest/gtest.h>

#include <wx/dir.h>
#include <wx/xml/xml.h>

#include "core/orvistaSession.h"
#include "tests/core/scratchInstallation.h"

namespace {
class sessionFixture : public scratchInstallation {
protected:
    orvistaSession session{programFiles(wxString::FromUTF8(programDir), wxString::FromUTF8(settingsDir))};

    void writeDocuments(const std::string& rootContent)
    {
        dir.write("program/orv-config-schema.xml", "<schema/>");
        writeSettings(rootContent);
    }
};
}

TEST_F(sessionFixture, startsFromTheSettingsAndReloadsTheLines)
{
    EXPECT_FALSE(session.loadDocuments()) << "no documents yet";
    const std::string ini = writeLoggerIni();
    writeDocuments("<paths/>");
    ASSERT_TRUE(session.loadDocuments());
    session.readStartup(wxDateTime::Now());
    EXPECT_FALSE(session.loggerIniFound()) << "the default place has none";

    // The user's choice goes into the "paths" element the file has.
    session.chooseLoggerIni(wxString::FromUTF8(ini));
    EXPECT_TRUE(session.loggerIniFound());
    EXPECT_EQ(wxString::FromUTF8(ini), session.settings().GetRoot()->GetChildren()->GetAttribute("logger-ini"));

    // The new lines are shown while the old ones still live; then they replace them.
    std::vector<std::string> shown;
    for (int round = 0; round < 2; ++round) {
        const timeline* before = session.lineTimelines().empty() ? nullptr : session.lineTimelines()[0].get();
        session.reload([] {}, [&](const std::vector<const timeline*>& lines) {
            EXPECT_EQ(before, session.lineTimelines().empty() ? nullptr : session.lineTimelines()[0].get());
            shown.clear();
            for (const timeline* line : lines)
                shown.push_back(line->getName());
        });
        EXPECT_EQ((std::vector<std::string>{"Alpha", "Front desk"}), shown);
        EXPECT_EQ(2u, session.lineTimelines().size());
        EXPECT_EQ(2u, session.channels().size());
    }
}

TEST_F(sessionFixture, keepsTheViewAndWritesItBack)
{
    writeDocuments("<startup kind='last-view'/>");
    ASSERT_TRUE(session.loadDocuments());
    session.readStartup(wxDateTime::Now());

    viewState view;
    view.view = vTimelineDisplayState{1700003600, 1700007200, 1700000000, 1700086400};
    view.lines = {{"Alpha", false}};
    session.keepView(view);
    wxString reason;
    ASSERT_TRUE(session.saveSettings(reason)) << reason;

    orvistaSession next{session.files()};
    ASSERT_TRUE(next.loadDocuments());
    next.readStartup(wxDateTime::Now());
    EXPECT_EQ(1700000000, next.startup().view.viewBegin);
    EXPECT_EQ(1700007200, next.startup().view.selectionEnd);
    EXPECT_EQ(view.lines, next.startup().lineSelection);
}

TEST_F(sessionFixture, keepsReadCatalogsOnlyInTheCacheFolderItIsGiven)
{
    const std::string ini = writeLoggerIni();
    writeDocuments("<paths logger-ini='" + ini + "'/>");
    const std::string cache = dir.at("cache");
    for (bool cached : {false, true}) {
        orvistaSession reader{programFiles(wxString::FromUTF8(programDir), wxString::FromUTF8(settingsDir),
                                           cached ? wxString::FromUTF8(cache) : wxString())};
        ASSERT_TRUE(reader.loadDocuments());
        reader.readStartup(wxDateTime::Now());
        reader.reload([] {}, [](const std::vector<const timeline*>&) {});
        std::vector<const timeline*> lines;
        for (const auto& line : reader.lineTimelines())
            lines.push_back(line.get());
        ASSERT_TRUE(reader.readInterval(lines, 1705276800 - 86400, 1705276800 + 2 * 86400, {}));
        EXPECT_EQ(cached, wxDirExists(wxString::FromUTF8(cache)) && wxDir(wxString::FromUTF8(cache)).HasFiles())
            << (cached ? "the index keeps what was read" : "no index without a cache folder");
    }
}
