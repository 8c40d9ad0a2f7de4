#pragma once

// Scriptable stand-in for the operating system, linked into the unit tests in
// place of the win32_*.cpp files, one fake_*.cpp per area. Files live in memory;
// boxes are recorded.

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/files.h"
#include "platform/final_path.h"
#include "platform/processes.h"

namespace fake {

struct Resource {
    std::u16string type;
    std::u16string name;
    std::uint16_t language = 0;
    std::vector<std::uint8_t> bytes;
    bool unloadable = false;
};

struct ResourceState {
    void* module = nullptr;
    std::vector<Resource> entries;
    // The language a lookup without language settles on when it has a choice.
    std::uint16_t fallbackLanguage = 1033;
};

struct EnvironmentState {
    std::map<std::u16string, std::u16string> variables;
    std::optional<std::u16string> tempPath = u"C:\\Temp\\";
    // The command line is made from these, quoted so that splitting gives them back.
    std::vector<std::u16string> arguments = {u"servicepack.exe"};
};

struct AccountState {
    bool localSystem = false;
    bool known = true;
    std::u16string name = u"WORK\\admin";
    std::u16string sid = u"S-1-5-21-7-8-9-1001";
};

// What the double knows of a handle it gave out.
struct OpenFileEntry {
    std::u16string path;
    platform::FileDisposition disposition;
    std::size_t position = 0;
    std::uint64_t index = 0;  // the file's index when it was opened
};

// In-memory file system; paths are compared as they stand.
struct FileSystemState {
    std::u16string currentDirectory = u"C:\\Work";
    bool fullPathFails = false;
    std::set<std::u16string> directories = {u"C:\\", u"C:\\Temp", u"C:\\Work", u"\\", u"."};
    std::map<std::u16string, std::vector<std::uint8_t>> contents;
    std::set<std::u16string> accessDenied;  // QueryPath answers AccessDenied; opening fails
    std::optional<std::size_t> writeLimit;  // a write takes at most this many bytes
    bool failWrites = false;
    bool failSeeks = false;
    int openFiles = 0;
    int largestWrite = 0;
    std::vector<std::u16string> deleted;  // every attempt, refused ones too
    // Link -> target. Opens and QueryPath follow a link, except the dispositions
    // that take the entry itself; RemoveEntry removes the link. Final paths follow
    // every link on the way, folder links included.
    std::map<std::u16string, std::u16string> links;
    // As where links are not reparse points (Wine): OpenOrCreateOwnName opens the
    // existing target of a link.
    bool linksLookLikeFiles = false;
    // Final paths that start with a key (as resolved: "D:\\real") cannot be told
    // in a form before its value: Nt for a volume without a drive letter, Opened
    // for a share with a folder on the way that cannot be read. The device form
    // of X:\\dir is \\Device\\VolumeX\\dir.
    std::map<std::u16string, platform::PathForm> firstFormAt;
    std::set<std::u16string> multiplyLinked;  // files that have another name too
    // False: as without POSIX deletion, a removed file that a handle holds keeps
    // its name (delete pending) until the last handle closes.
    bool posixDelete = true;
    std::set<std::u16string> deletePending;
    std::set<std::u16string> unflushed;         // written since their last flush
    std::optional<std::uint32_t> replaceError;  // ReplaceFile fails so, as documented
    // Runs at the start of every open: plants a file between the existence check
    // and the creation of a name, or changes one before it is opened again.
    std::function<void(const std::u16string&)> beforeCreate;

    // Files made with CreateNewTemporary, or marked so by a test.
    std::set<std::u16string> temporary;
    // The file index a file reports from handles opened from now on (0 unless
    // set): a test changes it to put another file at the same name.
    std::map<std::u16string, std::uint64_t> fileIndex;
    // Long path -> short form; other paths have none (their short form is themselves).
    std::map<std::u16string, std::u16string> shortNames;

    std::map<std::intptr_t, OpenFileEntry> handles;
};

// Named mutexes: held by another process for as long as any wait lasts,
// refused with access denied, or abandoned by an owner that was killed.
struct MutexState {
    std::set<std::u16string> heldElsewhere;
    std::set<std::u16string> refused;
    std::set<std::u16string> abandoned;
    std::set<std::u16string> owned;  // by this process, right now
    std::vector<std::pair<std::u16string, std::uint32_t>> waits;  // name, milliseconds
    std::map<std::intptr_t, std::u16string> names;  // of the handles given out
};

struct ProcessState {
    std::optional<std::vector<platform::ProcessEntry>> running =
        std::vector<platform::ProcessEntry>{};
    // Runs before each snapshot: lets a test end a process between boxes.
    std::function<void(int snapshotNumber)> beforeSnapshot;
    int snapshots = 0;
};

struct ThreadState {
    std::uint32_t locale = 1033;
    std::uint16_t userUiLanguage = 1033;
    std::vector<std::uint32_t> localesSet;
    std::uint32_t lastError = 0;
    int lastErrorReads = 0;
};

struct Box {
    std::u16string text;
    std::u16string title;
    std::uint32_t flags = 0;
    std::uint32_t locale = 0;  // thread locale when shown
};

struct BoxState {
    bool desktopVisible = true;  // false: as under a service, no one sees a box
    std::vector<Box> shown;
    std::function<void(const Box&)> onBox;  // runs as each box is shown
    std::deque<int> answers;  // answers for the next boxes; 1 (OK) when empty
};

// A box in the session of the person at the machine: waited for (asked) or not (told).
struct SessionBox {
    Box box;
    std::uint32_t timeoutSeconds = 0;
    bool waited = false;
};

// An answer to an asked box after so many seconds; button 0: the box failed.
struct SessionAnswer {
    int button = 0;
    std::uint32_t seconds = 0;
};

// Where no one sees the desktop: whether there is one person to ask, and their
// answers, in order (none left: the box times out). Told boxes follow an answer.
struct SessionsState {
    bool someoneToAsk = false;
    std::deque<SessionAnswer> answers;
    bool asked = false;
    std::vector<SessionBox> boxes;
};

struct ClockState {
    platform::LocalTime localTime = {2026, 12, 9, 20, 15, 3, 42, 60};
    std::uint64_t tickCount = 5000;
    std::uint64_t tickStep = 0;  // added after every TickCount
};

// What the run's record asks; ErrorText answers "text of <n>".
struct RecordFactsState {
    std::uint32_t processId = 4242;
    std::optional<std::uint32_t> sessionId = 1;
    std::u16string modulePath = u"C:\\Work\\servicepack.exe";
    // Calls of the record's own functions: these, the account and the clock.
    int queries = 0;
};

struct PlatformState {
    ResourceState resources;
    EnvironmentState environment;
    AccountState account;
    FileSystemState files;
    MutexState mutexes;
    ProcessState processes;
    ThreadState thread;
    BoxState boxes;
    SessionsState sessions;
    ClockState clock;
    RecordFactsState record;
};

PlatformState& Platform();
void ResetPlatform();

// A handle value no other handle of this process has had.
std::intptr_t NewHandle();

// Registers RT_STRING blocks for one language, as the resource compiler lays them out.
void AddStringTable(std::uint16_t language, const std::map<unsigned, std::u16string>& texts);

// Whether a handle is open on the file at path.
bool IsOpen(const std::u16string& path);

// The bytes of a file as a string, for comparisons.
std::vector<std::uint8_t> Bytes(const std::string& text);

}  // namespace fake
