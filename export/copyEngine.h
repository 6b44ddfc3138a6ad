#pragma once
// Copying recording files into a folder, keeping the last two folder levels of
// each source (normally the line's folder and the day's folder): the space
// check, the copy with progress and a way to stop, and the rollback of a
// stopped copy. It needs no window: the program puts progress windows and
// message boxes on the observer, orvista-cli puts a terminal on it.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <wx/string.h>

#include "platform/diskSpace.h"
#include "platform/fileCopy.h"

// A recording file that could not be copied.
struct copyFailure {
    std::string source;
    std::string target;
    wxString reason;
};

// What a copy reports while it runs. The calls come in this order: at most
// one of the first three (which end the copy before anything is written, or
// let it go on), then copyStarting, copyProgress any number of times,
// rollbackStarting and rollbackProgress only after a stop, copyFinished, and,
// unless stopped, filesFailed when some files could not be copied.
class copyObserver {
public:
    virtual ~copyObserver() = default;
    // The room on the target's volume could not be measured; nothing is copied.
    virtual void spaceUnknown(const std::string& folder, const wxString& reason) = 0;
    // The files need more room than there is; nothing is copied.
    virtual void notEnoughSpace(std::uint64_t available, std::uint64_t total) = 0;
    // Less than `reserve` bytes would remain after the copy. True to go on.
    virtual bool continueWithLowSpace(std::uint64_t available, std::uint64_t total, std::uint64_t reserve) = 0;
    virtual void copyStarting(std::uint64_t total) = 0;
    // Bytes of the listed files dealt with so far; false stops the copy. Called
    // between chunks of a file and after each file.
    virtual bool copyProgress(std::uint64_t done, std::uint64_t total) = 0;
    virtual void rollbackStarting(std::size_t files) = 0;
    virtual void rollbackProgress(std::size_t deleted) = 0;
    virtual void copyFinished() = 0;
    virtual void filesFailed(const std::vector<copyFailure>& failures) = 0;
};

// The system facilities the copy uses; tests put in a full disk or a volume of
// any size.
struct copySystem {
    std::function<bool(const wxString& existingPath, volumeSpace& space, wxString& error)> measure = measureVolume;
    std::function<copyOutcome(const wxString& source, const wxString& target,
                              const std::function<bool(std::uint64_t)>& progress, wxString& error)>
        copyFile = copyFileContents;
};

// The low-space question comes when less than this would remain free:
// 1 GiB, or 5 % of the volume when that is less (a small memory stick).
std::uint64_t lowSpaceReserve(std::uint64_t capacity);

// Where a source lands: the target folder, the source's second-to-last and last
// folder names, its file name. A name that is empty, "." or "..", or holds a
// separator, a colon or a drive letter becomes "_", so no target lies outside
// the folder. Names Windows keeps for devices (CON, PRN, AUX, NUL, COM1-9,
// LPT1-9, with any extension, in any case) get a "_" in front, and a name
// ending in a dot or a space gets one at its end, on every system, so that a
// copy can be read back on Windows. A source with fewer folder levels uses the
// ones it has.
std::string copyTargetPath(const std::string& targetFolder, const std::string& source);

// Copies the files (empty paths are skipped) into `targetFolder`, creating the
// folders it needs. Each file is written under a temporary name beside its
// target and renamed into place when complete; a file that fails leaves nothing
// behind and is reported, not listed. Every file copied is appended to `copied`
// (when given) in copy order, a target reached twice twice. A file that was
// there before is renamed beside its target until the run is complete. When
// the observer stops the copy, every file this copy wrote is taken back: a new
// one deleted, a replaced one given back byte for byte; a file that another
// copy has replaced since is left to that copy. The folders stay. Returns false when the space check
// or the observer stopped the copy, true otherwise, also when files failed.
bool copyFiles(const std::vector<std::string>& sources, const std::string& targetFolder,
               std::vector<std::string>* copied, copyObserver& observer, const copySystem& system = copySystem());
