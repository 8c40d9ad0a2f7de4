#pragma once

// Scriptable stand-in for the operating system, linked into the unit tests in
// place of the win32_*.cpp files. Files live in memory; boxes are recorded.

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace fake {

inline constexpr std::uint32_t kErrorSharingViolation = 32;

struct Resource {
    std::u16string type;
    std::u16string name;
    std::uint16_t language = 0;
    std::vector<std::uint8_t> bytes;
    bool unloadable = false;
};

struct Box {
    std::u16string text;
    std::u16string title;
    std::uint32_t flags = 0;
    std::uint32_t locale = 0;  // thread locale when shown
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

struct PlatformState {
    void* module = nullptr;
    std::vector<Resource> resources;
    // The language a lookup without language settles on when it has a choice.
    std::uint16_t fallbackLanguage = 1033;

    std::map<std::u16string, std::u16string> environment;
    std::optional<std::u16string> tempPath = u"C:\\Temp\\";
    std::u16string currentDirectory = u"C:\\Work";
    bool fullPathFails = false;

    // In-memory file system; paths are compared as they stand.
    std::set<std::u16string> directories = {u"C:\\", u"C:\\Temp", u"C:\\Work", u"\\", u"."};
    std::map<std::u16string, std::vector<std::uint8_t>> files;
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
    bool localSystem = false;
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

    std::optional<std::vector<platform::ProcessEntry>> processes =
        std::vector<platform::ProcessEntry>{};
    // Runs before each snapshot: lets a test end a process between boxes.
    std::function<void(int snapshotNumber)> beforeSnapshot;
    int snapshots = 0;

    std::uint32_t threadLocale = 1033;
    std::uint16_t userUiLanguage = 1033;
    std::vector<std::uint32_t> localesSet;
    std::uint32_t lastError = 0;
    int lastErrorReads = 0;

    bool desktopVisible = true;  // false: as under a service, no one sees a box
    std::vector<Box> boxes;
    std::deque<int> answers;  // answers for the next boxes; 1 (OK) when empty

    // The command line is made from these, quoted so that splitting gives them back.
    std::vector<std::u16string> arguments = {u"servicepack.exe"};

    // Where no one sees the desktop: whether there is one person to ask, and their
    // answers, in order (none left: the box times out). Told boxes follow an answer.
    bool someoneToAsk = false;
    std::deque<SessionAnswer> sessionAnswers;
    bool asked = false;
    std::vector<SessionBox> sessionBoxes;
    std::uint64_t clockMilliseconds = 0;  // moves only as answers take time
};

PlatformState& Platform();
void ResetPlatform();

// Registers RT_STRING blocks for one language, as the resource compiler lays them out.
void AddStringTable(std::uint16_t language, const std::map<unsigned, std::u16string>& texts);

// Parses one of the project's string-table .rc files into id -> text.
std::map<unsigned, std::u16string> ReadStringTableFile(const std::string& path,
                                                       std::uint16_t& language);

// Whether a handle is open on the file at path.
bool IsOpen(const std::u16string& path);

// The bytes of a file as a string, for comparisons.
std::vector<std::uint8_t> Bytes(const std::string& text);

}  // namespace fake
