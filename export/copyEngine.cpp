#include "export/copyEngine.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <set>

#include <wx/file.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/log.h>

#include "platform/fileReplace.h"
#include "platform/fileStamp.h"
#include "platform/narrow.h"

namespace {
const std::uint64_t gibibyte = std::uint64_t(1) << 30;

bool isSeparator(char c)
{
    return c == '/' || c == '\\';
}

// The source's names from the last folder levels and the file name, split on
// both separators: a catalog written on Windows names files with backslashes.
std::vector<std::string> splitPath(const std::string& path)
{
    std::vector<std::string> parts;
    std::string part;
    for (char c : path) {
        if (isSeparator(c)) {
            if (!part.empty())
                parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    parts.push_back(part); // the file name, possibly empty
    return parts;
}

// "CON", "lpt1.wav", "Aux .txt": Windows opens the device whatever follows
// the name, and it ignores blanks before the extension.
bool isDeviceName(const std::string& name)
{
    std::string stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ')
        stem.pop_back();
    for (char& c : stem)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL")
        return true;
    // Windows also takes the superscript digits ¹ ² ³ (UTF-8 C2 B9, C2 B2, C2 B3).
    const bool port = stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0;
    const std::string number = port ? stem.substr(3) : std::string();
    return (number.size() == 1 && number[0] >= '1' && number[0] <= '9') ||
           number == "\xC2\xB9" || number == "\xC2\xB2" || number == "\xC2\xB3";
}

std::string safeName(const std::string& name)
{
    if (name.empty() || name == "." || name == ".." ||
        name.find_first_of("/\\:") != std::string::npos)
        return "_";
    // Windows drops a final dot or space, so the copy could not be opened by
    // the name it was given.
    if (name.back() == '.' || name.back() == ' ')
        return (isDeviceName(name) ? "_" : "") + name + "_";
    return isDeviceName(name) ? "_" + name : name;
}

// The room is measured on the folder or, while it does not exist yet, on the
// nearest folder above it that does.
std::string nearestExisting(const std::string& folder)
{
    wxFileName dir = wxFileName::DirName(fromNarrow(folder));
    dir.MakeAbsolute();
    while (!dir.DirExists() && dir.GetDirCount() > 0)
        dir.RemoveLastDir();
    return toNarrow(dir.GetPath(wxPATH_GET_VOLUME | wxPATH_GET_SEPARATOR));
}

std::uint64_t fileSize(const std::string& path)
{
    wxULongLong size = wxFileName::GetSize(fromNarrow(path));
    return size == wxInvalidSize ? 0 : size.GetValue();
}

class copyRun {
public:
    copyRun(const std::string& targetFolder_, std::vector<std::string>* copied_, copyObserver& observer_,
            const copySystem& system_)
        : targetFolder(targetFolder_), copied(copied_), observer(observer_), system(system_)
    {
    }

    // False when the copy was stopped.
    bool copyAll(const std::vector<std::string>& sources, std::uint64_t total_)
    {
        total = total_;
        for (const std::string& source : sources) {
            if (!source.empty() && !copyOne(source))
                return false;
            done = start + fileSize(source);
            if (!observer.copyProgress(std::min(done, total), total))
                return false;
            start = done;
        }
        return true;
    }

    // Takes back what this run wrote: a file that is still exactly as the run
    // left it (another copy may have replaced it since) is deleted, or the file
    // it replaced is put back. Folders stay.
    void rollBack()
    {
        wxLogNull quiet;
        observer.rollbackStarting(written.size());
        std::size_t undone = 0;
        for (const writtenFile& file : written) {
            fileStamp now;
            const bool untouched = fileStampOf(file.target, now) && now == file.stamp;
            if (untouched && file.setAside.empty())
                wxRemoveFile(fromNarrow(file.target));
            else if (untouched)
                wxRenameFile(file.setAside, fromNarrow(file.target), true);
            else if (!file.setAside.empty())
                wxRemoveFile(file.setAside); // what replaced ours was meant to replace it too
            observer.rollbackProgress(++undone);
        }
    }

    // The run is complete: the files it replaced are not needed any more.
    void finish()
    {
        for (const writtenFile& file : written)
            if (!file.setAside.empty())
                wxRemoveFile(file.setAside);
    }

    const std::vector<copyFailure>& failures() const { return failed; }

private:
    bool copyOne(const std::string& source)
    {
        // What fails is collected and reported once; wx's own complaints would
        // each open a window in the program.
        wxLogNull quiet;
        const std::string target = copyTargetPath(targetFolder, source);
        const wxFileName targetName(fromNarrow(target));
        wxString reason;
        // Another copy into the same folder may make it at the same moment.
        if (!wxFileName::Mkdir(targetName.GetPath(), wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL) &&
            !wxFileName::DirExists(targetName.GetPath())) {
            fail(source, target, "its folder cannot be made");
            return true;
        }
        // A new, unique name beside the target: a stopped or failed copy never
        // leaves a half-written file under the recording's own name.
        const wxString partialPrefix =
            targetName.GetPath(wxPATH_GET_VOLUME | wxPATH_GET_SEPARATOR) + "." + targetName.GetFullName() + ".";
        removeStaleTemporaries(partialPrefix); // what a killed copy left of this file
        wxFile partialFile;
        const wxString partial = createTemporaryFile(partialPrefix, partialFile);
        partialFile.Close();
        if (partial.empty()) {
            fail(source, target, "no file can be made in its folder");
            return true;
        }
        bool stopped = false;
        auto progress = [&](std::uint64_t bytes) {
            if (observer.copyProgress(std::min(start + bytes, total), total))
                return true;
            stopped = true;
            return false;
        };
        copyOutcome outcome = system.copyFile(fromNarrow(source), partial, progress, reason);
        if (outcome != copyOutcome::copied) {
            wxRemoveFile(partial);
            if (outcome == copyOutcome::stopped || stopped)
                return false;
            fail(source, target, reason);
            return true;
        }
        const auto mine = writtenIndex.find(target);
        wxString setAside;
        if (mine == writtenIndex.end() && wxFileExists(fromNarrow(target))) {
            // The file there before is kept beside, renamed, until the run is
            // complete, so that a stop can put it back as it was.
            setAside = unusedNameBeside(targetName);
            if (setAside.empty() || !wxRenameFile(fromNarrow(target), setAside, false)) {
                wxRemoveFile(partial);
                fail(source, target, "the file there cannot be set aside until the copy is complete");
                return true;
            }
        }
        if (!replaceFile(partial, fromNarrow(target), reason)) {
            wxRemoveFile(partial);
            if (!setAside.empty())
                wxRenameFile(setAside, fromNarrow(target), true);
            fail(source, target, reason);
            return true;
        }
        // What the file is like as this run leaves it: a rollback takes back
        // only a file that is still so.
        fileStamp stamp;
        fileStampOf(target, stamp);
        if (mine == writtenIndex.end()) {
            writtenIndex.emplace(target, written.size());
            written.push_back(writtenFile{target, stamp, setAside});
        } else {
            written[mine->second].stamp = stamp;
        }
        if (copied)
            copied->push_back(target);
        return true;
    }

    static wxString unusedNameBeside(const wxFileName& target)
    {
        wxFile placeholder;
        // A name of its own kind: a killed run's set-aside file is the user's
        // own and is never taken for a stale temporary one.
        const wxString name = createTemporaryFile(
            target.GetPath(wxPATH_GET_VOLUME | wxPATH_GET_SEPARATOR) + "." + target.GetFullName() + ".kept.",
            placeholder);
        placeholder.Close();
        if (!name.empty())
            wxRemoveFile(name);
        return name;
    }

    void fail(const std::string& source, const std::string& target, const wxString& reason)
    {
        failed.push_back(copyFailure{source, target, reason});
    }

    const std::string& targetFolder;
    std::vector<std::string>* copied;
    copyObserver& observer;
    const copySystem& system;
    std::uint64_t total = 0;
    std::uint64_t start = 0; // bytes of the files before the current one
    std::uint64_t done = 0;
    struct writtenFile {
        std::string target;
        fileStamp stamp;   // as this run left it
        wxString setAside; // the file that was there before, renamed; empty when there was none
    };
    std::vector<writtenFile> written; // in copy order, each target once
    std::map<std::string, std::size_t> writtenIndex;
    std::vector<copyFailure> failed;
};
}

std::uint64_t lowSpaceReserve(std::uint64_t capacity)
{
    return std::min(gibibyte, capacity / 20);
}

std::string copyTargetPath(const std::string& targetFolder, const std::string& source)
{
    std::vector<std::string> parts = splitPath(source);
    const std::size_t keep = std::min<std::size_t>(parts.size(), 3);
    wxFileName target = wxFileName::DirName(fromNarrow(targetFolder));
    for (std::size_t i = parts.size() - keep; i + 1 < parts.size(); ++i)
        target.AppendDir(fromNarrow(safeName(parts[i])));
    target.SetFullName(fromNarrow(safeName(parts.back())));
    return toNarrow(target.GetFullPath());
}

bool copyFiles(const std::vector<std::string>& sources, const std::string& targetFolder,
               std::vector<std::string>* copied, copyObserver& observer, const copySystem& system)
{
    std::uint64_t total = 0;
    for (const std::string& source : sources)
        if (!source.empty())
            total += fileSize(source);

    const std::string measured = nearestExisting(targetFolder);
    volumeSpace space;
    wxString reason;
    if (!system.measure(fromNarrow(measured), space, reason)) {
        observer.spaceUnknown(measured, reason);
        return false;
    }
    if (total > space.available) {
        observer.notEnoughSpace(space.available, total);
        return false;
    }
    // A copy of nothing takes no room: a volume that is low already is no
    // reason to ask.
    const std::uint64_t reserve = lowSpaceReserve(space.capacity);
    if (total > 0 && space.available - total < reserve &&
        !observer.continueWithLowSpace(space.available, total, reserve))
        return false;

    observer.copyStarting(total);
    copyRun run(targetFolder, copied, observer, system);
    const bool completed = run.copyAll(sources, total);
    if (completed)
        run.finish();
    else
        run.rollBack();
    observer.copyFinished();
    // After a stop everything is gone again; what failed on the way no longer matters.
    if (completed && !run.failures().empty())
        observer.filesFailed(run.failures());
    return completed;
}
