#include "payload/extract.h"

#include <cstdint>
#include <string_view>

#include "files/final_path.h"
#include "common/text.h"
#include "payload/leftover.h"
#include "platform/platform.h"

namespace {

constexpr std::uint32_t kTempPathUnits = 1024;
constexpr char16_t kTempPrefix[] = u"MSP";
constexpr char16_t kPayloadType[] = u"MSP";
constexpr char16_t kPayloadName[] = u"IDR_MSP";
constexpr std::uint32_t kMaxRejectedNames = 2147483647u;
// A directory whose entries cannot be checked would otherwise be searched for
// hours; this many refused checks in a row give up on it.
constexpr int kMaxRefusedChecks = 100;
// A generated name taken by someone else between check and creation is
// skipped; this bounds how often that may happen in one call.
constexpr int kMaxCreateRaces = 1000;

std::uint64_t g_tempNameCounter = 1;

bool EndsWithSeparator(const std::u16string& path)
{
    return !path.empty() && (path.back() == u'\\' || path.back() == u'/');
}

// Whether two folder names are one text but for a closing separator and case.
bool SameFolder(std::u16string_view a, std::u16string_view b)
{
    const auto unclosed = [](std::u16string_view folder) {
        const bool closed = folder.size() > 1 && (folder.back() == u'\\' || folder.back() == u'/');
        return closed ? folder.substr(0, folder.size() - 1) : folder;
    };
    return EqualsAsciiIgnoringCase(unclosed(a), unclosed(b));
}

void AddFolder(std::vector<std::u16string>& folders, const std::u16string& folder)
{
    for (const std::u16string& known : folders) {
        if (SameFolder(known, folder)) {
            return;
        }
    }
    folders.push_back(folder);
}

// The folders a temporary name may be made in, best first, each named once.
std::vector<std::u16string> TempFolderOrder(const std::u16string& tempPath)
{
    std::vector<std::u16string> folders;
    // LocalSystem's TMP may be anyone's; its temporary directory is its own.
    std::u16string tmp;
    if (!platform::IsLocalSystem() && platform::GetEnvironmentVariable(u"TMP", tmp) &&
        !tmp.empty() && platform::QueryPath(tmp) == platform::PathState::Exists) {
        AddFolder(folders, tmp);
    }
    if (!tempPath.empty() && platform::QueryPath(tempPath) == platform::PathState::Exists) {
        AddFolder(folders, tempPath);
    }
    if (platform::QueryPath(u"\\") == platform::PathState::Exists) {
        AddFolder(folders, u"\\");
    }
    AddFolder(folders, u".");
    return folders;
}

// What every temporary name in folder begins with.
std::u16string TempNameBase(const std::u16string& folder, const std::u16string& prefix)
{
    std::u16string base = folder;
    if (!EndsWithSeparator(base)) {
        base += u'\\';
    }
    return base + prefix;
}

// The directory part of path with its separator ("" for a bare name), so a
// name made from it lands beside path.
std::u16string SiblingNameBase(const std::u16string& path)
{
    const auto end = path.find_last_of(u"\\/:");
    return (end == std::u16string::npos ? std::u16string() : path.substr(0, end + 1)) +
           kTempPrefix;
}

// What a temporary name is made for: the user's file, or a copy the program reads
// itself, whose leftovers from a killed run it may clear away on the way.
enum class TempUse { Output, OwnCopy };

// The next "<base><n>" that nothing has; false once checks keep being refused.
bool NextFreeName(const std::u16string& base, std::u16string& name,
                  TempUse use = TempUse::Output)
{
    int refusedInARow = 0;
    for (std::uint32_t rejected = 0; rejected < kMaxRejectedNames; ++rejected) {
        ++g_tempNameCounter;
        std::u16string candidate = base + ToDecimal(static_cast<std::int64_t>(g_tempNameCounter));
        switch (platform::QueryPath(candidate)) {
        case platform::PathState::Missing:
            name = std::move(candidate);
            return true;
        case platform::PathState::AccessDenied:
            if (++refusedInARow == kMaxRefusedChecks) {
                return false;
            }
            break;
        case platform::PathState::Exists:
            if (use == TempUse::OwnCopy && RemoveIfLeftover(candidate)) {
                name = std::move(candidate);
                return true;
            }
            refusedInARow = 0;
            break;
        }
    }
    return false;
}

bool IsExistsError(std::uint32_t error)
{
    return error == platform::kErrorFileExists || error == platform::kErrorAlreadyExists;
}

// Removes a file left incomplete; the caller's message still needs the reason.
void DiscardKeepingError(const std::u16string& path)
{
    const std::uint32_t error = platform::GetLastError();
    platform::DeleteFile(path);
    platform::SetLastError(error);
}

// A new file named from base, starting at name, which ends as the name tried last.
platform::File CreateNewFile(const std::u16string& base, std::u16string& name,
                             TempUse use = TempUse::Output)
{
    const auto disposition = use == TempUse::OwnCopy ? platform::FileDisposition::CreateNewTemporary
                                                     : platform::FileDisposition::CreateNew;
    // Never write through a file someone planted under a predictable name.
    for (int race = 0;; ++race) {
        platform::File file = CreateFileAt(name, disposition);
        if (file || !IsExistsError(platform::GetLastError()) || race == kMaxCreateRaces ||
            !NextFreeName(base, name, use)) {
            return file;
        }
    }
}

// The file is closed on return, since an open file can be neither deleted nor moved.
// A durable file is on disk before it returns, so a power cut after it replaced
// another cannot leave an empty file in that one's place.
bool WriteAll(platform::File file, const platform::ResourceBytes& payload, bool durable)
{
    std::size_t written = 0;
    const bool ok = platform::WriteFile(file, payload.data, payload.size, written) &&
                    (!durable || platform::FlushFile(file));
    const std::uint32_t error = platform::GetLastError();
    file.Reset();
    platform::SetLastError(error);
    return ok && written == payload.size;
}

// Moves the complete file side over target, an existing target keeping its identity
// (security, attributes, streams). On failure target is as it was and side remains.
bool PutInPlace(const std::u16string& side, const std::u16string& target,
                const std::u16string& base)
{
    std::u16string backup;
    if (platform::QueryPath(target) == platform::PathState::Missing) {
        return platform::MoveFileReplacing(side, target);
    }
    if (!NextFreeName(base, backup)) {
        return false;
    }
    if (platform::ReplaceFile(target, side, backup)) {
        platform::DeleteFile(backup);  // the old content
        return true;
    }
    const std::uint32_t error = platform::GetLastError();
    if (error == platform::kErrorFileNotFound) {  // gone since, or a link
        return platform::MoveFileReplacing(side, target);
    }
    if (error == platform::kErrorUnableToMoveReplacement2) {
        platform::MoveFileReplacing(backup, target);  // the old file back to its name
    }
    platform::SetLastError(error);
    return false;
}

}  // namespace

void ResetTempNameCounter() { g_tempNameCounter = 1; }

bool ExtractPatch(std::u16string& patchPath)
{
    const bool generated = patchPath.empty();
    std::u16string base;
    std::u16string name;
    if (generated) {
        std::vector<std::u16string> folders;
        if (!TemporaryFolders(folders)) {
            return false;
        }
        base = TempNameBase(folders.front(), kTempPrefix);
        if (!NextFreeName(base, name)) {
            return false;
        }
        patchPath = name;
    }

    platform::ResourceBytes payload;
    if (!LoadPayload(payload)) {
        return false;
    }

    if (!generated) {
        // Written beside the target and moved over it once complete, so a
        // failure never costs the user an existing file.
        base = SiblingNameBase(patchPath);
        if (!NextFreeName(base, name)) {
            return false;
        }
    }
    platform::File file = CreateNewFile(base, name);
    if (generated) {
        patchPath = name;
    }
    if (!file) {
        return false;
    }
    if (!WriteAll(std::move(file), payload, !generated) ||
        (!generated && !PutInPlace(name, patchPath, base))) {
        DiscardKeepingError(name);
        return false;
    }
    return true;
}

bool TemporaryFolders(std::vector<std::u16string>& folders)
{
    std::u16string tempPath;
    const std::uint32_t length = platform::GetTempPath(kTempPathUnits, tempPath);
    if (length == 0 || length > kTempPathUnits) {
        return false;
    }
    folders = TempFolderOrder(tempPath);
    return true;
}

bool ExtractTemporaryCopy(const std::u16string& folder, std::u16string& patchPath)
{
    const std::u16string base = TempNameBase(folder, kTempPrefix);
    std::u16string name;
    platform::ResourceBytes payload;
    if (!NextFreeName(base, name, TempUse::OwnCopy) || !LoadPayload(payload)) {
        return false;
    }
    platform::File file = CreateNewFile(base, name, TempUse::OwnCopy);
    patchPath = name;
    if (!file) {
        return false;
    }
    if (!WriteAll(std::move(file), payload, false)) {
        DiscardKeepingError(name);
        return false;
    }
    return true;
}

bool LoadPayload(platform::ResourceBytes& payload)
{
    return platform::LoadResource(kPayloadType, kPayloadName, payload) ==
           platform::ResourceResult::Found;
}
