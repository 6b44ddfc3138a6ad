#pragma once
// What the tests ask of the operating system itself, one small call each, with
// one source per system (systemSupport_posix.cpp, systemSupport_win32.cpp).
// A call that returns false where the system has no such thing lets the test
// skip; where the system has it, a failure fails the running test as well.
#include <cstdint>
#include <functional>
#include <string>

// For tests of what only the other systems do (their folders, their conversions).
bool runningOnWindows();

// A path written with "/" as the system writes it: with backslashes on Windows.
std::string nativePath(std::string path);
// Wine, which runs the Windows build elsewhere: for the few places where it is
// known to differ from Windows itself. False everywhere else, Windows included.
bool runningUnderWine();

// Makes the C library's local time (and so wx's) Berlin's, daylight-saving
// days included.
void useBerlinTime();
// Makes the C library's local time follow a POSIX zone rule such as
// "EST5EDT,M3.2.0,M11.1.0". Windows' C library takes only the name, the offset
// and the daylight-saving name, and puts its own (American) switch days to it.
void useTimeZone(const char* rule);

// A file's modification time in nanoseconds since 1970 (in steps of 100 on
// Windows); setting it leaves the access time alone.
bool modificationTimeOf(const std::string& path, std::int64_t& nanoseconds);
bool setModificationTime(const std::string& path, std::int64_t nanoseconds);

// Things that are neither files nor folders. False where the system has none:
// Windows has no named pipes or sockets in the file system, and lets only some
// users make symbolic links (Wine reports them made, but makes none).
bool makeSymlink(const std::string& target, const std::string& link);
bool makeFifo(const std::string& path);
// A symbolic link at `link` to `target` (relative to the link's folder or
// absolute), and whether a path is one; false where the tests make none (Windows).
bool makeSymbolicLink(const std::string& target, const std::string& link);
bool isSymbolicLink(const std::string& path);
bool makeSocketFile(const std::string& path);

// Lets a shell script written by a test run as a program. False on Windows,
// which starts programs by their file type and never by a "#!" line.
bool makeExecutable(const std::string& path);

// The permission bits (0777 at most) of a file or folder, and those a new file
// gets from this process; false on Windows, where access lists take their place.
bool permissionBitsOf(const std::string& path, unsigned& bits);
unsigned newFilePermissionBits();

// Makes a file read-only: its write permissions taken away, or on Windows its
// read-only attribute set.
bool makeReadOnly(const std::string& path);
// Whether a file is read-only in that sense.
bool isReadOnly(const std::string& path);
// Undoes makeReadOnly (a read-only file cannot be removed on Windows).
bool makeWritable(const std::string& path);
// Whether this process writes files that are read-only in that sense: root
// does, so tests of what a read-only file stops must skip for it.
bool writesReadOnlyFiles();

// Runs `work` while nothing can be created in, renamed in or removed from
// `folder`. False, without running it, where that cannot be had: for root,
// who writes anywhere, and on Windows, whose read-only attribute does not stop
// anything being created in a folder.
bool withUnwritableFolder(const std::string& folder, const std::function<void()>& work);

// Runs `work` while this process cannot write files beyond `bytes`, so that a
// write fails as it would on a full disk, even for root. False, without running
// it, where the system has no such limit (Windows).
bool withFileSizeLimit(std::uint64_t bytes, const std::function<void()>& work);

// The file version in this program's own version resource (major, minor,
// patch, build). False where programs carry none (everywhere but Windows).
bool ownFileVersion(int version[4]);
// Whether this program is marked as aware of terminal servers. False where
// programs carry no such mark (everywhere but Windows).
bool ownTerminalServerMark(bool& aware);
// The text of this program's manifest resource and the code page its narrow
// calls take (GetACP); false where programs carry no manifest.
bool ownManifest(std::string& text, unsigned& codePage);

// Writes a string value (REG_EXPAND_SZ when `expandable`) below
// HKEY_LOCAL_MACHINE in the registry's 64-bit or 32-bit view, and removes a
// key with everything below it from both views. False where there is no
// registry (everywhere but Windows).
bool writeMachineRegistryValue(bool thirtyTwoBitView, const std::string& keyPath, const std::string& valueName,
                               const std::string& value, bool expandable);
bool removeMachineRegistryKey(const std::string& keyPath);
