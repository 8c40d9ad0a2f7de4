#pragma once

// The operating-system boundary. The win32_*.cpp files implement it on Windows;
// tests link a scriptable double instead. Texts are UTF-16 throughout.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/unique_handle.h"

namespace platform {

// Win32 error codes the core reacts to.
inline constexpr std::uint32_t kErrorAccessDenied = 5;
inline constexpr std::uint32_t kErrorFileExists = 80;
inline constexpr std::uint32_t kErrorAlreadyExists = 183;
inline constexpr std::uint32_t kErrorFileNotFound = 2;
// ReplaceFile: the old file stayed under its name; the new one under its own.
inline constexpr std::uint32_t kErrorUnableToRemoveReplaced = 1175;
inline constexpr std::uint32_t kErrorUnableToMoveReplacement = 1176;
// ReplaceFile: the old file is at backup, the new one under its own name.
inline constexpr std::uint32_t kErrorUnableToMoveReplacement2 = 1177;
// A file no longer holds, or a name no longer leads to, what was checked.
inline constexpr std::uint32_t kErrorInvalidData = 13;
// A path the installer would not read as the one file it names.
inline constexpr std::uint32_t kErrorInvalidName = 123;

// ---- module and resources ----------------------------------------------

void SetModuleHandle(void* module);
void* ModuleHandle();

struct ResourceBytes {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
};

enum class ResourceResult {
    Found,
    Missing,     // no such resource
    Unloadable,  // found, but of size 0 or it could not be loaded or locked
};

// type and name are texts, or "#<decimal>" for a numeric identifier. The bytes
// stay valid for the life of the process (they are the mapped image).
ResourceResult LoadResource(const std::u16string& type, const std::u16string& name,
                            ResourceBytes& bytes);

// Only the given language (or its neutral forms); no fallback to any other.
ResourceResult LoadResourceInLanguage(const std::u16string& type, const std::u16string& name,
                                      std::uint16_t language, ResourceBytes& bytes);

// ---- environment and paths ---------------------------------------------

bool GetEnvironmentVariable(const std::u16string& name, std::u16string& value);

// As GetTempPath2W where the system has it (for LocalSystem a folder only it can
// write), else GetTempPathW: the length written (without terminator), 0 on failure, or
// the size needed (with terminator) when bufferUnits is too small.
std::uint32_t GetTempPath(std::uint32_t bufferUnits, std::u16string& path);

// As GetFullPathNameW: the length written, 0 on failure, or the size needed.
std::uint32_t GetFullPathName(const std::u16string& path, std::uint32_t bufferUnits,
                              std::u16string& fullPath);

enum class PathState { Missing, Exists, AccessDenied };
PathState QueryPath(const std::u16string& path);

// Whether the process runs as LocalSystem, whose TMP an ordinary user may have set.
bool IsLocalSystem();

// ---- files -------------------------------------------------------------

struct FileTraits {
    using Handle = std::intptr_t;
    static Handle Invalid() { return -1; }
    static void Close(Handle handle);
};
using File = UniqueHandle<FileTraits>;

// The dispositions that create a new entry, and OpenOrCreateOwnName, never follow
// a link: a link counts as a name that is taken.
enum class FileDisposition {
    // Write-only, no sharing; fails with kErrorFileExists while any entry has the name.
    CreateNew,
    CreateOrTruncate,  // write-only, no sharing
    OpenOrCreate,      // read-write, others may read; for appending
    // As OpenOrCreate, for a name the program chose in a directory others can write:
    // fails with kErrorAccessDenied when the name is a link or the file has another name,
    // and creates nothing where a link stands. An existing file it opened leaves
    // kErrorAlreadyExists as the last error.
    OpenOrCreateOwnName,
    // Never written through; others may read and write it but not delete or rename
    // it. Fails as CreateNew does.
    CreateNewHeld,
    // An existing file, read-only; others may read it but not write, rename or
    // delete it while the handle lives.
    ReadShareRead,
    // As CreateNew, the file marked temporary (FILE_ATTRIBUTE_TEMPORARY): a copy
    // the program reads itself and removes, never one it hands to the user.
    CreateNewTemporary,
    // The existing entry itself (a link is not followed), for reading and
    // removal, shared with no one: fails while any other handle has it open.
    ReadExclusiveEntry,
    // As OpenOrCreateOwnName, but every write lands at the end of the file and
    // others may read and append as well, so runs at the same time add whole lines.
    AppendOwnName,
};

// An invalid File on failure, with the reason in the last-error value.
File OpenFile(const std::u16string& path, FileDisposition disposition);
// One write request of the whole size; a short write fails with ERROR_DISK_FULL.
bool WriteFile(const File& file, const void* data, std::size_t size, std::size_t& written);
bool SeekToEnd(const File& file);
// One read request; read is 0 at the end of the file.
bool ReadFile(const File& file, void* data, std::size_t size, std::size_t& read);
bool DeleteFile(const std::u16string& path);
// Removes the entry itself: a file, an empty directory or a link, never what a
// link points to. Fails where a link cannot be told from its target. The name is
// free at once even while others hold the file open: where the system can only
// delete once the last handle closes, the entry is first renamed to aside (a free
// name in the same directory; empty: not renamed), where it stays until then.
bool RemoveEntry(const std::u16string& path, const std::u16string& aside);
// Writes what the file's buffers hold through to the disk.
bool FlushFile(const File& file);
// Renames from to to, replacing an existing entry of that name (same volume only);
// returns once the move is on disk.
bool MoveFileReplacing(const std::u16string& from, const std::u16string& to);
// Puts from in place of the existing file to, which keeps its security descriptor,
// attributes and streams; to's old content is left at backup (same volume only).
// Fails with kErrorFileNotFound when to is no file of its own (missing, or a link,
// which MoveFileReplacing replaces as an entry), and with kErrorAccessDenied when
// to is a directory. After any failure both files keep their names, except as
// kErrorUnableToMoveReplacement2 says.
bool ReplaceFile(const std::u16string& to, const std::u16string& from,
                 const std::u16string& backup);

// The forms a final path can be told in. Dos: with the drive letter
// ("\\?\C:\dir\name"), which a volume without one (mounted in a folder, a RAM
// disk) lacks. Nt: with the volume's device ("\Device\HarddiskVolume3\dir\name").
// Opened: the device form as opened, not normalized, which needs no folder on the
// way to be readable (a share). Links are resolved in every form.
enum class PathForm { Dos, Nt, Opened };

// The name the file behind the handle really has, every link on the way resolved;
// false when it cannot be told in that form.
bool GetFinalPath(const File& file, std::u16string& path, PathForm form = PathForm::Dos);
// The same for the directory a path leads to.
bool GetFinalPathOfDirectory(const std::u16string& directory, std::u16string& path,
                             PathForm form = PathForm::Dos);
// Removes the file the handle has open, wherever that is, and closes the handle;
// never a file put at its name since.
bool DeleteThroughHandle(File& file);

// ---- replacing a file in one folder --------------------------------------
// A file is replaced by a copy written beside it in several steps; these keep
// every step in the folder first found, whatever a link on the way does meanwhile.

inline constexpr std::uint32_t kErrorDirectory = 267;  // a file where a folder was named

enum class EntryKind {
    Missing,  // nothing at the name (the folder exists)
    File,     // a file, or a link, which is replaced as an entry
    Refused,  // a directory, a device or anything else that is no file, or not
              // to be looked at: kErrorAccessDenied or the reason is the last error
};
// What stands at path, a link not followed.
EntryKind QueryEntry(const std::u16string& path);
// The folder path names, held open so that it can be neither renamed nor removed
// while the handle lives (where its entries may be read); fails with
// kErrorDirectory when path names a file.
File HoldFolder(const std::u16string& path);
// Whether path, opened now, is the folder held, no other.
bool LeadsToHeldFolder(const std::u16string& path, const File& folder);
// Renames from to to, never replacing an entry of that name (same volume only).
bool MoveFileNew(const std::u16string& from, const std::u16string& to);

// ---- held copies: identity, short names, leftovers --------------------

// Which file a handle has open: equal for two handles only when they are one file.
struct FileIdentity {
    std::uint32_t volume = 0;  // volume serial number
    std::uint64_t index = 0;   // file index on that volume
    bool operator==(const FileIdentity&) const = default;
};
bool GetFileIdentity(const File& file, FileIdentity& identity);
// The short (8.3) form of an existing path (GetShortPathNameW); the path itself
// where the volume keeps no short names.
bool GetShortPathName(const std::u16string& path, std::u16string& shortPath);
// Neither a link nor known by another name, and marked temporary.
bool IsLoneTemporaryFile(const File& file);

// ---- one run at a time -------------------------------------------------

// A named mutex; closing it releases it first when this process owns it.
struct MutexTraits {
    using Handle = std::intptr_t;
    static Handle Invalid() { return 0; }
    static void Close(Handle handle);
};
using Mutex = UniqueHandle<MutexTraits>;

// Creates the mutex or opens the existing one; an invalid Mutex on failure, with
// the reason in the last-error value.
Mutex CreateNamedMutex(const std::u16string& name);

enum class MutexWait {
    Acquired,
    Abandoned,  // acquired: the previous owner ended without releasing it
    TimedOut,
    Failed,
};
MutexWait WaitForMutex(const Mutex& mutex, std::uint32_t milliseconds);

// ---- processes ---------------------------------------------------------

struct ProcessEntry {
    std::uint32_t processId = 0;
    std::u16string exeFile;
};

// nullopt when no snapshot can be taken; an empty list when its first entry
// cannot be read.
std::optional<std::vector<ProcessEntry>> SnapshotProcesses();

// As lstrcmpiW: 0 when equal without regard to case.
int CompareTextIgnoringCase(const std::u16string& a, const std::u16string& b);

// ---- thread state ------------------------------------------------------

std::uint32_t GetThreadLocale();
void SetThreadLocale(std::uint32_t locale);
// The language of the user's Windows (GetUserDefaultUILanguage).
std::uint16_t GetUserDefaultUILanguage();
std::uint32_t GetLastError();
void SetLastError(std::uint32_t error);

// ---- libraries -----------------------------------------------------------

// Has every library load look in the system directory only, so that a DLL planted
// beside the executable (a downloads folder) never runs with its rights. False
// when the system cannot; LoadSystemLibrary keeps to the system directory anyway.
bool RestrictLibrarySearch();

struct LibraryTraits {
    using Handle = void*;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle module);
};
using Library = UniqueHandle<LibraryTraits>;

// A library by file name ("msi.dll"), from the system directory only.
Library LoadSystemLibrary(const std::u16string& name);

// ---- user interface and command line -------------------------------------

// Whether anyone can see and answer a box: false on a window station that is not
// visible, or in session 0, as under a service, where a box would wait for ever.
bool IsDesktopVisible();

// MessageBoxW with no owner window; returns the button code, 0 on failure.
int MessageBox(const std::u16string& text, const std::u16string& title, std::uint32_t flags);

// The process command line as the process received it (GetCommandLineW).
std::u16string CommandLine();

// ---- the run's record ------------------------------------------------------
// Asked only while a record is written (/log): a run without it never calls these.

struct LocalTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
    int offsetMinutes = 0;  // local time minus UTC
};
LocalTime CurrentLocalTime();
// Milliseconds on a clock that only moves forward (GetTickCount64), for durations;
// also asked, without a record, for the time left to ask the person at the machine.
std::uint64_t TickCount();
std::uint32_t ProcessId();
// The session the process runs in; false when it cannot be told.
bool SessionId(std::uint32_t& session);
// The full path of the executable.
std::u16string ModulePath();
// The account the process runs as: DOMAIN\name and the SID as text; false when
// the token cannot be read (name may stay empty where only the SID is known).
bool Account(std::u16string& name, std::u16string& sid);
// The system's text for a Win32 or installer error, in English where the system
// has it, without the trailing line break; empty when it has none.
std::u16string ErrorText(std::uint32_t error);
// The locale name of a language ("de-DE"); empty when unknown.
std::u16string LanguageName(std::uint16_t language);

// ---- the person at the machine, where no one sees this desktop ------------
// Started by a service, the process's own boxes reach no one. These show a box
// in the session of the person at the machine instead: the console session when
// someone is signed in there, else the one session someone is signed in to (a
// single remote one). Several such sessions (a shared server, where the program
// does not choose among users) or none: there is no one to ask.

// The answer of a box whose time ran out (IDTIMEOUT).
inline constexpr int kAnswerTimedOut = 32000;

// Shows the box to that person and waits at most timeoutSeconds (at least 1) for
// the answer: the button chosen, kAnswerTimedOut, or 0 when there is no one to
// ask or the box could not be shown. The session asked is kept for TellSessionUser.
int AskSessionUser(const std::u16string& text, const std::u16string& title,
                   std::uint32_t flags, std::uint32_t timeoutSeconds);

// Shows the box in the session last asked and returns at once, without waiting for
// it; false when no one was asked in this run or the box could not be shown.
bool TellSessionUser(const std::u16string& text, const std::u16string& title,
                     std::uint32_t flags);

}  // namespace platform
