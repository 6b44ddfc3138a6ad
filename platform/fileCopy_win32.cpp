#include "platform/fileCopy.h"

#include <wx/file.h>
#include <wx/filename.h>
#include <wx/log.h>

#include "platform/fileReplace.h"
#include "platform/win32Text.h"

namespace {
struct progressContext {
    const std::function<bool(std::uint64_t)>* progress;
};

DWORD CALLBACK onProgress(LARGE_INTEGER, LARGE_INTEGER transferred, LARGE_INTEGER, LARGE_INTEGER, DWORD, DWORD,
                          HANDLE, HANDLE, LPVOID data)
{
    auto* context = static_cast<progressContext*>(data);
    return (*context->progress)(static_cast<std::uint64_t>(transferred.QuadPart)) ? PROGRESS_CONTINUE
                                                                                  : PROGRESS_CANCEL;
}
}

copyOutcome copyFileContents(const wxString& source, const wxString& target,
                             const std::function<bool(std::uint64_t copied)>& progress, wxString& error)
{
    // CopyFileEx calls back as chunks complete; PROGRESS_CANCEL stops it.
    progressContext context{&progress};
    BOOL cancel = FALSE;
    const std::wstring targetPath = systemPath(target);
    if (CopyFileExW(systemPath(source).c_str(), targetPath.c_str(), onProgress, &context, &cancel, 0)) {
        // The copy takes the source's attributes: a read-only one could be
        // neither rolled back, nor cleaned up, nor copied over again.
        const DWORD attributes = GetFileAttributesW(targetPath.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
            SetFileAttributesW(targetPath.c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
        return copyOutcome::copied;
    }
    DWORD code = GetLastError();
    if (code == ERROR_REQUEST_ABORTED)
        return copyOutcome::stopped;
    error = systemMessage(code); // the system's own wording, as users know it
    return copyOutcome::failed;
}

wxString makeUniqueFolder(const wxString& prefix)
{
    // The temporary folder is the user's own on Windows; a name taken from a
    // fresh temporary file and made a folder at once is safe there.
    for (int attempt = 0; attempt < 100; ++attempt) {
        wxFile file;
        wxString name = createTemporaryFile(prefix, file);
        if (name.empty())
            return wxString();
        file.Close();
        DeleteFileW(systemPath(name).c_str());
        if (CreateDirectoryW(systemPath(name).c_str(), nullptr))
            return name;
    }
    return wxString();
}
