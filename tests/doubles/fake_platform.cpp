#include "doubles/fake_platform.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "common/text.h"

namespace fake {
namespace {

PlatformState g_state;
struct OpenFileEntry {
    std::u16string path;
    platform::FileDisposition disposition;
    std::size_t position = 0;
};
std::map<std::intptr_t, OpenFileEntry> g_openFiles;
std::intptr_t g_nextHandle = 100;

const std::u16string& Followed(const std::u16string& path)
{
    const auto link = g_state.links.find(path);
    return link == g_state.links.end() ? path : link->second;
}

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

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

// What the system reports as the final path: absolute, every link on the way
// followed, in the long form.
std::u16string FinalOf(std::u16string path)
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
    return u"\\\\?\\" + path;
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
    return std::any_of(g_openFiles.begin(), g_openFiles.end(), [&](const auto& open) {
        return open.second.path == path &&
               (disposition != kReader || open.second.disposition != kReader);
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

std::uint32_t GetTempPath(std::uint32_t bufferUnits, std::u16string& path)
{
    if (!g_state.tempPath) {
        return 0;
    }
    const auto length = static_cast<std::uint32_t>(g_state.tempPath->size());
    if (length + 1 > bufferUnits) {
        return length + 1;
    }
    path = *g_state.tempPath;
    return length;
}

std::uint32_t GetFullPathName(const std::u16string& path, std::uint32_t bufferUnits,
                              std::u16string& fullPath)
{
    if (g_state.fullPathFails || path.empty()) {
        return 0;
    }
    std::u16string full = path;
    const bool absolute = fake::IsSeparator(path[0]) || (path.size() > 1 && path[1] == u':');
    if (!absolute) {
        full = g_state.currentDirectory + u"\\" + path;
    }
    const auto length = static_cast<std::uint32_t>(full.size());
    if (length + 1 > bufferUnits) {
        return length + 1;
    }
    fullPath = full;
    return length;
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
    const bool throughLink = g_state.linksLookLikeFiles &&
                             disposition == FileDisposition::OpenOrCreateOwnName &&
                             g_state.files.count(fake::Followed(linkOrPath)) != 0;
    const bool entryItself = !throughLink && (disposition == FileDisposition::CreateNew ||
                                              disposition == FileDisposition::CreateNewHeld ||
                                              disposition == FileDisposition::OpenOrCreateOwnName);
    const std::u16string path = entryItself ? linkOrPath : fake::Followed(linkOrPath);
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
        g_state.lastError = disposition == FileDisposition::OpenOrCreateOwnName
                                ? kErrorAccessDenied
                                : kErrorFileExists;
        return File();
    }
    if (exists && disposition != FileDisposition::CreateNew && fake::InUse(path, disposition)) {
        g_state.lastError = fake::kErrorSharingViolation;
        return File();
    }
    switch (disposition) {
    case FileDisposition::CreateNewHeld:
    case FileDisposition::CreateNew:
        if (exists) {
            g_state.lastError = kErrorFileExists;
            return File();
        }
        g_state.files[path].clear();
        break;
    case FileDisposition::CreateOrTruncate:
        g_state.files[path].clear();
        break;
    case FileDisposition::OpenOrCreateOwnName:
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
        if (!exists) {
            g_state.lastError = 2;  // ERROR_FILE_NOT_FOUND
            return File();
        }
        break;
    }
    const std::intptr_t handle = fake::g_nextHandle++;
    g_openFiles[handle] = {path, disposition};
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

bool GetFinalPath(const File& file, std::u16string& path)
{
    const auto it = g_openFiles.find(file.Get());
    if (it == g_openFiles.end()) {
        g_state.lastError = 6;  // ERROR_INVALID_HANDLE
        return false;
    }
    path = fake::FinalOf(it->second.path);
    return true;
}

bool GetFinalPathOfDirectory(const std::u16string& directory, std::u16string& path)
{
    const std::u16string final = fake::FinalOf(directory);
    if (!fake::DirectoryExists(directory) && !fake::DirectoryExists(final.substr(4))) {
        g_state.lastError = 3;  // ERROR_PATH_NOT_FOUND
        return false;
    }
    path = final;
    return true;
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
    g_state.clockMilliseconds += std::uint64_t{seconds} * 1000;
    return answer.button != 0 && seconds == timeoutSeconds ? kAnswerTimedOut : answer.button;
}

bool TellSessionUser(const std::u16string& text, const std::u16string& title, std::uint32_t flags)
{
    if (g_state.asked) {
        g_state.sessionBoxes.push_back({{text, title, flags, g_state.threadLocale}, 0, false});
    }
    return g_state.asked;
}

std::uint64_t SteadyMilliseconds() { return g_state.clockMilliseconds; }

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

}  // namespace platform
