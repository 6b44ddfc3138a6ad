#pragma once
// A read-only wxConfigBase over an INI file, read through the Windows profile
// rules (readProfileString) on every system.
//
// The profile functions match names without regard to case; this class compares
// the names it lists exactly, so HasGroup/HasEntry (and therefore every read) are
// case-sensitive. Every call goes to the profile functions, so a change of the
// file shows at the next call; they keep the parsed file while it is unchanged
// on disk (Windows caches its profile files; the portable reader keeps the last
// file read until its size, modification or change time, or identity differ),
// so a call costs a lookup, not a parse. This object itself keeps nothing but
// its buffer and the enumerations in progress.
#include <deque>
#include <map>
#include <string>
#include <vector>

#include <wx/confbase.h>

class win32NativeConfig : public wxConfigBase {
public:
    explicit win32NativeConfig(const std::string& fileName);

    void SetPath(const wxString& path) override;
    const wxString& GetPath() const override;

    bool GetFirstGroup(wxString& name, long& index) const override;
    bool GetNextGroup(wxString& name, long& index) const override;
    bool GetFirstEntry(wxString& name, long& index) const override;
    bool GetNextEntry(wxString& name, long& index) const override;

    size_t GetNumberOfEntries(bool recursive = false) const override;
    size_t GetNumberOfGroups(bool recursive = false) const override;

    bool HasGroup(const wxString& name) const override;
    bool HasEntry(const wxString& name) const override;
    EntryType GetEntryType(const wxString& name) const override;

    bool Flush(bool currentOnly = false) override;

    // Writing, renaming and deleting are not supported: each throws std::logic_error.
    bool RenameEntry(const wxString& oldName, const wxString& newName) override;
    bool RenameGroup(const wxString& oldName, const wxString& newName) override;
    bool DeleteEntry(const wxString& key, bool deleteGroupIfEmpty = true) override;
    bool DeleteGroup(const wxString& key) override;
    bool DeleteAll() override;

    // Size of the buffer shared by all profile calls (starts at 16, only grows).
    size_t bufferSize() const { return readBuffer.size(); }

protected:
    bool DoReadString(const wxString& key, wxString* value) const override;
    bool DoReadLong(const wxString& key, long* value) const override;
#if wxUSE_BASE64
    bool DoReadBinary(const wxString& key, wxMemoryBuffer* buffer) const override;
#endif

    bool DoWriteString(const wxString& key, const wxString& value) override;
    bool DoWriteLong(const wxString& key, long value) override;
#if wxUSE_BASE64
    bool DoWriteBinary(const wxString& key, const wxMemoryBuffer& buffer) override;
#endif

private:
    using nameList = std::deque<wxString>;

    // One profile call with the growing buffer; section/key may be null as in
    // the profile API. Returns the characters written.
    unsigned long callProfile(const char* section, const char* key) const;
    std::string readValue(const std::string& section, const std::string& key) const;
    nameList readList(const char* section) const;
    std::string currentSection() const;
    bool listContains(const char* section, const wxString& name) const;

    bool startEnumeration(nameList names, wxString& name, long& index) const;
    bool continueEnumeration(wxString& name, long& index) const;

    mutable std::vector<char> readBuffer;
    std::string fileName;
    wxString currentPath;
    mutable std::map<long, nameList> enumerationLists;
};
