#include "export/copyRecordings.h"

#include <memory>

#include <wx/msgdlg.h>
#include <wx/progdlg.h>
#include <wx/stopwatch.h>

#include "platform/narrow.h"

namespace {
// A progress window costs about half a millisecond per update: a few hundred
// small files would spend more time on the window than on copying. Updates
// (and with them the look at the Cancel button) come at most this often.
const long updateInterval = 50; // milliseconds

const int progressRange = 1000000;

wxLongLong_t asLongLong(std::uint64_t value)
{
    return static_cast<wxLongLong_t>(value);
}

class windowObserver : public copyObserver {
public:
    explicit windowObserver(wxWindow* parent_) : parent(parent_) {}

    void spaceUnknown(const std::string& folder, const wxString& reason) override
    {
        wxMessageBox(wxString::Format("The free space in %s cannot be measured (%s).\n\nNothing has been copied.",
                                      fromNarrow(folder), reason),
                     "Not enough disk space", wxOK | wxICON_ERROR, nullptr);
    }

    void notEnoughSpace(std::uint64_t available, std::uint64_t total) override
    {
        wxMessageBox(wxString::Format("There is not enough free space to make a copy (%lld bytes free, %lld bytes "
                                      "required)",
                                      asLongLong(available), asLongLong(total)),
                     "Not enough disk space", wxOK | wxICON_ERROR, nullptr);
    }

    bool continueWithLowSpace(std::uint64_t, std::uint64_t, std::uint64_t reserve) override
    {
        return wxMessageBox(wxString::Format("After the copy is done, there will be less than %lld bytes "
                                             "available.\n\nDo you want to continue?",
                                             asLongLong(reserve)),
                            "Warning: low on disk space", wxYES_NO | wxICON_ERROR, nullptr) == wxYES;
    }

    // Both windows close by themselves at the end (without wxPD_AUTO_HIDE a
    // finished window would wait for the user).
    void copyStarting(std::uint64_t) override
    {
        copying = std::make_unique<wxProgressDialog>(
            "Copying files", "Copying files...", progressRange, parent,
            wxPD_APP_MODAL | wxPD_AUTO_HIDE | wxPD_CAN_ABORT | wxPD_ELAPSED_TIME | wxPD_ESTIMATED_TIME | wxPD_REMAINING_TIME);
        sinceUpdate.Start();
    }

    bool copyProgress(std::uint64_t done, std::uint64_t total) override
    {
        const bool last = done >= total;
        if (!last && sinceUpdate.Time() < updateInterval)
            return true;
        sinceUpdate.Start();
        const int value = static_cast<int>(static_cast<double>(done) * progressRange / (static_cast<double>(total) + 1));
        return copying->Update(value);
    }

    void rollbackStarting(std::size_t files) override
    {
        rollbackFiles = static_cast<int>(files);
        rollback = std::make_unique<wxProgressDialog>(
            "Copying cancelled", "Performing rollback...", wxMax(rollbackFiles, 1), parent,
            wxPD_APP_MODAL | wxPD_AUTO_HIDE | wxPD_ELAPSED_TIME | wxPD_ESTIMATED_TIME | wxPD_REMAINING_TIME);
        sinceUpdate.Start();
    }

    void rollbackProgress(std::size_t deleted) override
    {
        if (static_cast<int>(deleted) < rollbackFiles && sinceUpdate.Time() < updateInterval)
            return;
        sinceUpdate.Start();
        rollback->Update(static_cast<int>(deleted));
    }

    void copyFinished() override
    {
        rollback.reset();
        copying.reset();
    }

    void filesFailed(const std::vector<copyFailure>& failures) override
    {
        const std::size_t named = 5;
        wxString text = failures.size() == 1
                            ? wxString("1 recording could not be copied:\n")
                            : wxString::Format("%zu recordings could not be copied:\n", failures.size());
        for (std::size_t i = 0; i < failures.size() && i < named; ++i)
            text += "\n" + fromNarrow(failures[i].source) + "\n    " + failures[i].reason;
        if (failures.size() > named)
            text += wxString::Format("\n\nand %zu more.", failures.size() - named);
        wxMessageBox(text, "Copy incomplete", wxOK | wxICON_WARNING, parent);
    }

private:
    wxWindow* parent;
    std::unique_ptr<wxProgressDialog> copying;
    std::unique_ptr<wxProgressDialog> rollback;
    int rollbackFiles = 0;
    wxStopWatch sinceUpdate;
};
}

bool copyRecordings(const std::string& targetFolder, std::vector<std::string>* output, const CopyRequest& request,
                    const recordingList& input, const copySystem& system)
{
    std::vector<std::string> sources;
    sources.reserve(input.size());
    for (const recording* r : input)
        sources.push_back(r->fileName());
    windowObserver observer(request.parent);
    return copyFiles(sources, targetFolder, output, observer, system);
}
