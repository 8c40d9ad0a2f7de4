#include "doubles/fake_platform.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "common/text.h"
#include "platform/account.h"
#include "platform/boxes.h"
#include "platform/clock.h"
#include "platform/environment.h"
#include "platform/error_codes.h"
#include "platform/files.h"
#include "platform/final_path.h"
#include "platform/libraries.h"
#include "platform/processes.h"
#include "platform/record_facts.h"
#include "platform/replace.h"
#include "platform/resources.h"
#include "platform/run_lock.h"
#include "platform/sessions.h"
#include "platform/thread_state.h"

namespace fake {
namespace {

PlatformState g_state;
struct OpenFileEntry {
    std::u16string path;
    platform::FileDisposition disposition;
    std::size_t position = 0;
    std::uint64_t index = 0;  // the file's index when it was opened
};
std::map<std::intptr_t, OpenFileEntry> g_openFiles;
std::map<std::intptr_t, std::u16string> g_mutexes;
std::intptr_t g_nextHandle = 100;

const std::u16string& Followed(const std::u16string& path)
{
    const auto link = g_state.links.find(path);
    return link == g_state.links.end() ? path : link->second;
}

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

// A path the system hands back whole, or refuses as too long.
bool TakesPath(const std::u16string& path, std::u16string& out)
{
    if (path.size() >= platform::kLongestPathUnits) {
        g_state.lastError = platform::kErrorFilenameTooLong;
        return false;
    }
    out = path;
    return true;
}

bool StartsWithFolder(const std::u16string& path, const std::u16string& folder)
{
    return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
           IsSeparator(path[folder.size()]);
}

std::u16string WithoutTrailingSeparator(const std::u16string& path)
{
    if (path.size() > 1 && IsSeparator(path.back()) && path[path.size() - 2] != u':') {
        return path.substr(0, path.size() - 1);
    }
    return path;
}

bool DirectoryExists(const std::u16string& path)
{
    return g_state.directories.count(path) != 0 ||
           g_state.directories.count(WithoutTrailingSeparator(path)) != 0;
}

// Where a path leads: absolute, every link on the way followed.
std::u16string Resolved(std::u16string path)
{
    const std::u16string& current = g_state.currentDirectory;
    if (path == u".") {
        path = current;
    } else if (path.rfind(u".\\", 0) == 0) {
        path = current + path.substr(1);
    } else if (!path.empty() && IsSeparator(path[0]) &&
               (path.size() == 1 || !IsSeparator(path[1]))) {
        path = current.substr(0, 2) + path;
    } else if (path.empty() || (!IsSeparator(path[0]) && (path.size() < 2 || path[1] != u':'))) {
        path = current + u"\\" + path;
    }
    path = WithoutTrailingSeparator(path);
    for (int hop = 0; hop < 32; ++hop) {
        const auto link =
            std::find_if(g_state.links.begin(), g_state.links.end(), [&](const auto& l) {
                return path == l.first || StartsWithFolder(path, l.first);
            });
        if (link == g_state.links.end()) {
            break;
        }
        path = link->second + path.substr(link->first.size());
    }
    return path;
}

// What the system reports as the final path of a resolved one in that form;
// false when it has none there.
bool FinalOf(const std::u16string& resolved, platform::PathForm form, std::u16string& path)
{
    for (const auto& [start, first] : g_state.firstFormAt) {
        if (resolved.rfind(start, 0) == 0 && form < first) {
            g_state.lastError = 3;  // ERROR_PATH_NOT_FOUND
            return false;
        }
    }
    const bool drive = resolved.size() > 1 && resolved[1] == u':';
    if (form == platform::PathForm::Dos) {
        path = u"\\\\?\\" + resolved;
    } else {
        path = drive ? u"\\Device\\Volume" + resolved.substr(0, 1) + resolved.substr(2)
                     : resolved;
    }
    return true;
}

bool ParentExists(const std::u16string& path)
{
    const auto pos = path.find_last_of(u"\\/");
    if (pos == std::u16string::npos) {
        return true;  // current directory
    }
    const std::u16string parent = pos == 0 ? u"\\" : path.substr(0, pos);
    return DirectoryExists(parent) || DirectoryExists(parent + u"\\");
}

// As Windows decides sharing for these dispositions: only readers that share
// reading coexist, and no handle allows deletion.
bool InUse(const std::u16string& path, std::optional<platform::FileDisposition> disposition)
{
    constexpr auto kReader = platform::FileDisposition::ReadShareRead;
    constexpr auto kAppender = platform::FileDisposition::AppendOwnName;
    return std::any_of(g_openFiles.begin(), g_openFiles.end(), [&](const auto& open) {
        const auto other = open.second.disposition;
        return open.second.path == path && (disposition != kReader || other != kReader) &&
               (disposition != kAppender || other != kAppender);
    });
}

const Resource* Find(const std::u16string& type, const std::u16string& name,
                     std::optional<std::uint16_t> language)
{
    const Resource* any = nullptr;
    for (const auto& r : g_state.resources) {
        if (r.type != type || r.name != name) {
            continue;
        }
        if (language) {
            if (r.language == *language || r.language == 0) {
                return &r;
            }
            continue;
        }
        if (r.language == g_state.fallbackLanguage) {
            return &r;
        }
        if (any == nullptr) {
            any = &r;
        }
    }
    return any;
}

platform::ResourceResult Load(const Resource* r, platform::ResourceBytes& bytes)
{
    if (r == nullptr) {
        g_state.lastError = 1813;  // ERROR_RESOURCE_TYPE_NOT_FOUND
        return platform::ResourceResult::Missing;
    }
    if (r->unloadable || r->bytes.empty()) {
        return platform::ResourceResult::Unloadable;
    }
    bytes.data = r->bytes.data();
    bytes.size = r->bytes.size();
    return platform::ResourceResult::Found;
}

}  // namespace

PlatformState& Platform() { return g_state; }

void ResetPlatform()
{
    g_state = PlatformState{};
    g_openFiles.clear();
    g_mutexes.clear();
}

void AddStringTable(std::uint16_t language, const std::map<unsigned, std::u16string>& texts)
{
    std::map<unsigned, std::vector<std::uint8_t>> blocks;
    std::set<unsigned> blockIds;
    for (const auto& [id, text] : texts) {
        blockIds.insert(id / 16 + 1);
    }
    for (unsigned block : blockIds) {
        std::vector<std::uint8_t> bytes;
        for (unsigned slot = 0; slot < 16; ++slot) {
            const unsigned id = (block - 1) * 16 + slot;
            const auto it = texts.find(id);
            const std::u16string text = it == texts.end() ? std::u16string() : it->second;
            const auto length = static_cast<std::uint16_t>(text.size());
            bytes.push_back(static_cast<std::uint8_t>(length & 0xFF));
            bytes.push_back(static_cast<std::uint8_t>(length >> 8));
            for (char16_t c : text) {
                bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
                bytes.push_back(static_cast<std::uint8_t>(c >> 8));
            }
        }
        g_state.resources.push_back(
            Resource{u"#6", u"#" + ToDecimal(block), language, std::move(bytes), false});
    }
}

std::map<unsigned, std::u16string> ReadStringTableFile(const std::string& path,
                                                       std::uint16_t& language)
{
    std::ifstream in(path);
    std::map<unsigned, std::u16string> texts;
    std::string line;
    language = 0;
    while (std::getline(in, line)) {
        unsigned primary = 0;
        unsigned sub = 0;
        if (std::sscanf(line.c_str(), " LANGUAGE %x , %x", &primary, &sub) == 2) {
            language = static_cast<std::uint16_t>((sub << 10) | primary);
            continue;
        }
        const auto quote = line.find('"');
        unsigned id = 0;
        if (quote == std::string::npos || std::sscanf(line.c_str(), " %u", &id) != 1) {
            continue;
        }
        std::string raw = line.substr(quote + 1, line.rfind('"') - quote - 1);
        std::string text;
        for (std::size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] == '\\' && i + 1 < raw.size() && raw[i + 1] == 'n') {
                text += '\n';
                ++i;
            } else if (raw[i] == '"' && i + 1 < raw.size() && raw[i + 1] == '"') {
                text += '"';
                ++i;
            } else {
                text += raw[i];
            }
        }
        texts[id] = FromUtf8(text);
    }
    return texts;
}

bool IsOpen(const std::u16string& path)
{
    return std::any_of(g_openFiles.begin(), g_openFiles.end(),
                       [&](const auto& open) { return open.second.path == path; });
}

std::vector<std::uint8_t> Bytes(const std::string& text)
{
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

}  // namespace fake

using fake::g_mutexes;
using fake::g_openFiles;
using fake::g_state;

namespace platform {

void SetModuleHandle(void* module) { g_state.module = module; }
void* ModuleHandle() { return g_state.module; }

ResourceResult LoadResource(const std::u16string& type, const std::u16string& name,
                            ResourceBytes& bytes)
{
    return fake::Load(fake::Find(type, name, std::nullopt), bytes);
}

ResourceResult LoadResourceInLanguage(const std::u16string& type, const std::u16string& name,
                                      std::uint16_t language, ResourceBytes& bytes)
{
    return fake::Load(fake::Find(type, name, language), bytes);
}

bool GetEnvironmentVariable(const std::u16string& name, std::u16string& value)
{
    const auto it = g_state.environment.find(name);
    if (it == g_state.environment.end()) {
        return false;
    }
    value = it->second;
    return true;
}

bool GetTempPath(std::u16string& path)
{
    return g_state.tempPath && fake::TakesPath(*g_state.tempPath, path);
}

bool GetFullPathName(const std::u16string& path, std::u16string& fullPath)
{
    if (g_state.fullPathFails || path.empty()) {
        return false;
    }
    std::u16string full = path;
    const bool absolute = fake::IsSeparator(path[0]) || (path.size() > 1 && path[1] == u':');
    if (!absolute) {
        full = g_state.currentDirectory + u"\\" + path;
    }
    return fake::TakesPath(full, fullPath);
}

PathState QueryPath(const std::u16string& linkOrPath)
{
    const std::u16string& path = fake::Followed(linkOrPath);
    if (g_state.accessDenied.count(path) != 0) {
        return PathState::AccessDenied;
    }
    if (g_state.files.count(path) != 0 || fake::DirectoryExists(path)) {
        return PathState::Exists;
    }
    return PathState::Missing;
}

void FileTraits::Close(Handle handle)
{
    const auto open = g_openFiles.find(handle);
    if (open == g_openFiles.end()) {
        return;
    }
    const std::u16string path = open->second.path;
    g_openFiles.erase(open);
    --g_state.openFiles;
    if (g_state.deletePending.count(path) != 0 && !fake::IsOpen(path)) {
        g_state.deletePending.erase(path);
        g_state.files.erase(path);
    }
}

File OpenFile(const std::u16string& linkOrPath, FileDisposition disposition)
{
    if (g_state.beforeCreate) {
        g_state.beforeCreate(linkOrPath);
    }
    const bool ownName = disposition == FileDisposition::OpenOrCreateOwnName ||
                         disposition == FileDisposition::AppendOwnName;
    const bool throughLink = g_state.linksLookLikeFiles && ownName &&
                             g_state.files.count(fake::Followed(linkOrPath)) != 0;
    const bool entryItself = !throughLink && (disposition == FileDisposition::CreateNew ||
                                              disposition == FileDisposition::CreateNewHeld ||
                                              disposition == FileDisposition::CreateNewTemporary ||
                                              disposition == FileDisposition::ReadExclusiveEntry ||
                                              ownName);
    std::u16string path = entryItself ? linkOrPath : fake::Followed(linkOrPath);
    if (disposition == FileDisposition::ReadShareRead && g_state.files.count(path) == 0) {
        // A final or short path opens the file stored under another way to it.
        for (const auto& [name, shortForm] : g_state.shortNames) {
            path = shortForm == linkOrPath ? name : path;
        }
        const std::u16string final = fake::Resolved(path);
        for (const auto& file : g_state.files) {
            const std::u16string known = fake::Resolved(file.first);
            path = known == final || u"\\\\?\\" + known == linkOrPath ? file.first : path;
        }
    }
    if (g_state.accessDenied.count(path) != 0 || fake::DirectoryExists(path)) {
        g_state.lastError = kErrorAccessDenied;
        return File();
    }
    if (!fake::ParentExists(path)) {
        g_state.lastError = 3;  // ERROR_PATH_NOT_FOUND
        return File();
    }
    const bool exists = g_state.files.count(path) != 0;
    if (entryItself && g_state.links.count(path) != 0) {
        g_state.lastError = ownName ? kErrorAccessDenied : kErrorFileExists;
        return File();
    }
    const bool creates = disposition == FileDisposition::CreateNew ||
                         disposition == FileDisposition::CreateNewTemporary;
    if (exists && !creates && fake::InUse(path, disposition)) {
        g_state.lastError = fake::kErrorSharingViolation;
        return File();
    }
    switch (disposition) {
    case FileDisposition::CreateNewHeld:
    case FileDisposition::CreateNew:
    case FileDisposition::CreateNewTemporary:
        if (exists) {
            g_state.lastError = kErrorFileExists;
            return File();
        }
        g_state.files[path].clear();
        g_state.temporary.erase(path);
        if (disposition == FileDisposition::CreateNewTemporary) {
            g_state.temporary.insert(path);
        }
        break;
    case FileDisposition::CreateOrTruncate:
        g_state.files[path].clear();
        break;
    case FileDisposition::OpenOrCreateOwnName:
    case FileDisposition::AppendOwnName:
        if (g_state.multiplyLinked.count(path) != 0) {
            g_state.lastError = kErrorAccessDenied;
            return File();
        }
        [[fallthrough]];
    case FileDisposition::OpenOrCreate:
        g_state.files[path];
        g_state.lastError = exists ? kErrorAlreadyExists : 0;
        break;
    case FileDisposition::ReadShareRead:
    case FileDisposition::ReadExclusiveEntry:
        if (!exists) {
            g_state.lastError = 2;  // ERROR_FILE_NOT_FOUND
            return File();
        }
        break;
    }
    const std::intptr_t handle = fake::g_nextHandle++;
    const auto index = g_state.fileIndex.find(path);
    g_openFiles[handle] = {path, disposition, 0,
                           index == g_state.fileIndex.end() ? 0 : index->second};
    ++g_state.openFiles;
    return File(handle);
}

bool WriteFile(const File& file, const void* data, std::size_t size, std::size_t& written)
{
    written = 0;
    const auto it = g_openFiles.find(file.Get());
    if (it == g_openFiles.end() || g_state.failWrites) {
        g_state.lastError = 6;  // ERROR_INVALID_HANDLE
        return false;
    }
    written = g_state.writeLimit ? std::min(size, *g_state.writeLimit) : size;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    auto& content = g_state.files[it->second.path];
    content.insert(content.end(), bytes, bytes + written);
    g_state.unflushed.insert(it->second.path);
    g_state.largestWrite = std::max(g_state.largestWrite, static_cast<int>(size));
    if (written < size) {
        g_state.lastError = 112;  // ERROR_DISK_FULL
        return false;
    }
    return true;
}

bool SeekToEnd(const File& file)
{
    return !g_state.failSeeks && g_openFiles.count(file.Get()) != 0;
}

bool ReadFile(const File& file, void* data, std::size_t size, std::size_t& read)
{
    auto& open = g_openFiles.at(file.Get());
    const auto& content = g_state.files[open.path];
    open.position = std::min(open.position, content.size());
    read = std::min(size, content.size() - open.position);
    std::copy_n(content.begin() + static_cast<std::ptrdiff_t>(open.position), read,
                static_cast<std::uint8_t*>(data));
    open.position += read;
    return true;
}

bool DeleteFile(const std::u16string& path)
{
    g_state.deleted.push_back(path);
    if (fake::InUse(path, std::nullopt)) {
        g_state.lastError = fake::kErrorSharingViolation;
        return false;
    }
    return g_state.files.erase(path) != 0;
}

bool RemoveEntry(const std::u16string& path, const std::u16string& aside)
{
    if (g_state.accessDenied.count(path) != 0) {
        g_state.lastError = kErrorAccessDenied;
        return false;
    }
    if (g_state.posixDelete || !fake::IsOpen(path) || g_state.files.count(path) == 0) {
        return g_state.links.erase(path) + g_state.files.erase(path) != 0;
    }
    std::u16string name = path;
    if (!aside.empty() && QueryPath(aside) == PathState::Missing) {
        g_state.files[aside] = std::move(g_state.files[path]);
        g_state.files.erase(path);
        for (auto& open : g_openFiles) {
            open.second.path = open.second.path == path ? aside : open.second.path;
        }
        name = aside;
    }
    g_state.deletePending.insert(name);
    return true;
}

bool FlushFile(const File& file)
{
    const auto it = g_openFiles.find(file.Get());
    if (it == g_openFiles.end()) {
        return false;
    }
    g_state.unflushed.erase(it->second.path);
    return true;
}

bool GetFinalPath(const File& file, std::u16string& path, PathForm form)
{
    const auto it = g_openFiles.find(file.Get());
    if (it == g_openFiles.end()) {
        g_state.lastError = 6;  // ERROR_INVALID_HANDLE
        return false;
    }
    return fake::FinalOf(fake::Resolved(it->second.path), form, path);
}

bool GetFinalPathOfDirectory(const std::u16string& directory, std::u16string& path,
                             PathForm form)
{
    const std::u16string resolved = fake::Resolved(directory);
    if (!fake::DirectoryExists(directory) && !fake::DirectoryExists(resolved)) {
        g_state.lastError = 3;  // ERROR_PATH_NOT_FOUND
        return false;
    }
    return fake::FinalOf(resolved, form, path);
}

bool DeleteThroughHandle(File& file)
{
    const auto it = g_openFiles.find(file.Get());
    const std::u16string path = it == g_openFiles.end() ? u"" : it->second.path;
    file.Reset();
    g_state.deleted.push_back(path);
    return g_state.files.erase(path) != 0;
}

bool IsLocalSystem() { return g_state.localSystem; }

EntryKind QueryEntry(const std::u16string& path)
{
    if (g_state.links.count(path) != 0 || g_state.files.count(path) != 0) {
        return EntryKind::File;
    }
    g_state.lastError = fake::DirectoryExists(path) ? kErrorAccessDenied
                        : fake::ParentExists(path)  ? kErrorFileNotFound
                                                    : 3;  // ERROR_PATH_NOT_FOUND
    return g_state.lastError == kErrorFileNotFound ? EntryKind::Missing : EntryKind::Refused;
}

File HoldFolder(const std::u16string& path)
{
    const std::u16string folder = fake::Resolved(path);
    if (!fake::DirectoryExists(folder)) {
        g_state.lastError = g_state.files.count(folder) != 0 ? kErrorDirectory : 3;
        return File();
    }
    const std::intptr_t handle = fake::g_nextHandle++;
    g_openFiles[handle] = {folder, FileDisposition::ReadShareRead};
    ++g_state.openFiles;
    return File(handle);
}

bool LeadsToHeldFolder(const std::u16string& path, const File& folder)
{
    const auto held = g_openFiles.find(folder.Get());
    // The handle stays with the folder it opened, whatever links now say.
    return held != g_openFiles.end() && fake::DirectoryExists(path) &&
           fake::Resolved(path) == held->second.path;
}

bool MoveFileNew(const std::u16string& from, const std::u16string& to)
{
    if (QueryPath(to) != PathState::Missing) {
        g_state.lastError = kErrorAlreadyExists;
        return false;
    }
    return MoveFileReplacing(from, to);
}

bool GetFileIdentity(const File& file, FileIdentity& identity)
{
    const auto it = g_openFiles.find(file.Get());
    if (it == g_openFiles.end()) {
        g_state.lastError = 6;  // ERROR_INVALID_HANDLE
        return false;
    }
    identity = FileIdentity{1, it->second.index};
    return true;
}

bool GetShortPathName(const std::u16string& path, std::u16string& shortPath)
{
    const auto it = g_state.shortNames.find(path);
    shortPath = it == g_state.shortNames.end() ? path : it->second;
    return true;
}

bool IsLoneTemporaryFile(const File& file)
{
    const auto it = g_openFiles.find(file.Get());
    return it != g_openFiles.end() && g_state.temporary.count(it->second.path) != 0 &&
           g_state.multiplyLinked.count(it->second.path) == 0;
}

void MutexTraits::Close(Handle handle)
{
    g_state.mutexesOwned.erase(g_mutexes[handle]);
    g_mutexes.erase(handle);
}

Mutex CreateNamedMutex(const std::u16string& name)
{
    if (g_state.mutexesRefused.count(name) != 0) {
        g_state.lastError = kErrorAccessDenied;
        return Mutex();
    }
    const std::intptr_t handle = fake::g_nextHandle++;
    g_mutexes[handle] = name;
    return Mutex(handle);
}

MutexWait WaitForMutex(const Mutex& mutex, std::uint32_t milliseconds)
{
    const std::u16string& name = g_mutexes.at(mutex.Get());
    g_state.mutexWaits.emplace_back(name, milliseconds);
    if (g_state.mutexesHeldElsewhere.count(name) != 0) {
        return MutexWait::TimedOut;
    }
    g_state.mutexesOwned.insert(name);
    return g_state.mutexesAbandoned.erase(name) != 0 ? MutexWait::Abandoned : MutexWait::Acquired;
}

bool MoveFileReplacing(const std::u16string& from, const std::u16string& to)
{
    if (g_state.files.count(from) == 0 || g_state.accessDenied.count(to) != 0) {
        g_state.lastError = kErrorAccessDenied;
        return false;
    }
    auto content = std::move(g_state.files[from]);
    g_state.files.erase(from);
    g_state.files[to] = std::move(content);
    return true;
}

bool ReplaceFile(const std::u16string& to, const std::u16string& from,
                 const std::u16string& backup)
{
    if (g_state.files.count(to) == 0 || g_state.links.count(to) != 0) {
        g_state.lastError = kErrorFileNotFound;
        return false;
    }
    if (g_state.replaceError) {
        g_state.lastError = *g_state.replaceError;
        if (*g_state.replaceError == kErrorUnableToMoveReplacement2) {
            g_state.files[backup] = std::move(g_state.files[to]);
            g_state.files.erase(to);
        }
        return false;
    }
    g_state.files[backup] = std::move(g_state.files[to]);
    g_state.files[to] = std::move(g_state.files[from]);
    g_state.files.erase(from);
    return true;
}

std::optional<std::vector<ProcessEntry>> SnapshotProcesses()
{
    ++g_state.snapshots;
    if (g_state.beforeSnapshot) {
        g_state.beforeSnapshot(g_state.snapshots);
    }
    return g_state.processes;
}

int CompareTextIgnoringCase(const std::u16string& a, const std::u16string& b)
{
    return EqualsAsciiIgnoringCase(a, b) ? 0 : (a < b ? -1 : 1);
}

std::uint32_t GetThreadLocale() { return g_state.threadLocale; }
std::uint16_t GetUserDefaultUILanguage() { return g_state.userUiLanguage; }

void SetThreadLocale(std::uint32_t locale)
{
    g_state.threadLocale = locale;
    g_state.localesSet.push_back(locale);
}

std::uint32_t GetLastError()
{
    ++g_state.lastErrorReads;
    return g_state.lastError;
}

void SetLastError(std::uint32_t error) { g_state.lastError = error; }

bool IsDesktopVisible() { return g_state.desktopVisible; }

int MessageBox(const std::u16string& text, const std::u16string& title, std::uint32_t flags)
{
    g_state.boxes.push_back(fake::Box{text, title, flags, g_state.threadLocale});
    if (g_state.onBox) {
        g_state.onBox(g_state.boxes.back());
    }
    if (g_state.answers.empty()) {
        return 1;
    }
    const int answer = g_state.answers.front();
    g_state.answers.pop_front();
    return answer;
}

int AskSessionUser(const std::u16string& text, const std::u16string& title, std::uint32_t flags,
                   std::uint32_t timeoutSeconds)
{
    if (!g_state.someoneToAsk) {
        return 0;
    }
    g_state.sessionBoxes.push_back(
        {{text, title, flags, g_state.threadLocale}, timeoutSeconds, true});
    fake::SessionAnswer answer{kAnswerTimedOut, timeoutSeconds};
    if (!g_state.sessionAnswers.empty()) {
        answer = g_state.sessionAnswers.front();
        g_state.sessionAnswers.pop_front();
    }
    g_state.asked = g_state.asked || answer.button != 0;
    const std::uint32_t seconds = std::min(answer.seconds, timeoutSeconds);
    g_state.tickCount += std::uint64_t{seconds} * 1000;
    return answer.button != 0 && seconds == timeoutSeconds ? kAnswerTimedOut : answer.button;
}

bool TellSessionUser(const std::u16string& text, const std::u16string& title, std::uint32_t flags)
{
    if (g_state.asked) {
        g_state.sessionBoxes.push_back({{text, title, flags, g_state.threadLocale}, 0, false});
    }
    return g_state.asked;
}

std::u16string CommandLine()
{
    std::u16string line;
    for (std::size_t k = 0; k < g_state.arguments.size(); ++k) {
        const std::u16string& argument = g_state.arguments[k];
        if (k == 0) {
            line += u"\"" + argument + u"\"";
            continue;
        }
        line += u" \"";
        std::size_t backslashes = 0;
        for (char16_t c : argument) {
            if (c == u'\\') {
                ++backslashes;
                continue;
            }
            line.append(c == u'"' ? backslashes * 2 + 1 : backslashes, u'\\');
            backslashes = 0;
            line += c;
        }
        line.append(backslashes * 2, u'\\');
        line += u'"';
    }
    return line;
}

// ---- the run's record ----

LocalTime CurrentLocalTime()
{
    ++g_state.recordQueries;
    return g_state.localTime;
}

std::uint64_t TickCount()
{
    ++g_state.recordQueries;
    const std::uint64_t now = g_state.tickCount;
    g_state.tickCount += g_state.tickStep;
    return now;
}

std::uint32_t ProcessId()
{
    ++g_state.recordQueries;
    return g_state.processId;
}

bool SessionId(std::uint32_t& session)
{
    ++g_state.recordQueries;
    session = g_state.sessionId.value_or(0);
    return g_state.sessionId.has_value();
}

std::u16string ModulePath()
{
    ++g_state.recordQueries;
    return g_state.modulePath;
}

bool Account(std::u16string& name, std::u16string& sid)
{
    ++g_state.recordQueries;
    if (!g_state.accountKnown) {
        g_state.lastError = kErrorAccessDenied;
        return false;
    }
    name = g_state.accountName;
    sid = g_state.accountSid;
    return true;
}

std::u16string ErrorText(std::uint32_t error)
{
    ++g_state.recordQueries;
    g_state.lastError = 0;  // as FormatMessageW succeeding
    return u"text of " + ToDecimal(error);
}

std::u16string LanguageName(std::uint16_t language)
{
    ++g_state.recordQueries;
    return language == 1033 ? u"en-US" : u"";
}

}  // namespace platform
