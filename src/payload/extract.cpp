#include "payload/extract.h"

#include <cstdint>
#include <string_view>

#include "files/final_path.h"
#include "common/text.h"
#include "payload/leftover.h"
#include "platform/account.h"
#include "platform/environment.h"
#include "platform/error_codes.h"
#include "platform/files.h"
#include "platform/processes.h"
#include "platform/replace.h"
#include "platform/resources.h"
#include "platform/thread_state.h"
#include "record/events.h"

namespace {

constexpr std::uint32_t kTempPathUnits = 1024;
constexpr std::uint32_t kFullPathUnits = 32768;  // the longest path the system takes
constexpr char16_t kTempPrefix[] = u"MSP";
constexpr char16_t kRecordName[] = u"servicepack.log";
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

void AddFolder(std::vector<TempFolder>& folders, const std::u16string& folder,
               record::TempReason reason)
{
    for (const TempFolder& known : folders) {
        if (SameFolder(known.path, folder)) {
            return;
        }
    }
    folders.push_back({folder, reason});
}

// The folders a temporary name may be made in, best first, each named once.
std::vector<TempFolder> TempFolderOrder(const std::u16string& tempPath)
{
    std::vector<TempFolder> folders;
    // LocalSystem's TMP may be anyone's; its temporary directory is its own.
    const bool localSystem = platform::IsLocalSystem();
    std::u16string tmp;
    if (!localSystem && platform::GetEnvironmentVariable(u"TMP", tmp) &&
        !tmp.empty() && platform::QueryPath(tmp) == platform::PathState::Exists) {
        AddFolder(folders, tmp, record::TempReason::Tmp);
    }
    if (!tempPath.empty() && platform::QueryPath(tempPath) == platform::PathState::Exists) {
        AddFolder(folders, tempPath,
                  localSystem ? record::TempReason::SystemForLocalSystem
                              : record::TempReason::SystemAnswer);
    }
    if (platform::QueryPath(u"\\") == platform::PathState::Exists) {
        AddFolder(folders, u"\\", record::TempReason::Root);
    }
    AddFolder(folders, u".", record::TempReason::Current);
    return folders;
}

// The folder with its separator.
std::u16string FolderBase(const std::u16string& folder)
{
    return EndsWithSeparator(folder) ? folder : folder + u'\\';
}

// What every temporary name in folder begins with; the record learns where and why.
std::u16string TempNameBase(const TempFolder& folder, const std::u16string& prefix)
{
    record::TempFolderChosen(folder.path, folder.reason);
    return FolderBase(folder.path) + prefix;
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
    const platform::LastErrorKeeper keeper;
    platform::DeleteFile(path);
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
    file.Reset();
    return ok && written == payload.size;
}

// A free name from base that is not avoid's, ignoring case: a target of the same
// form as the side file's must not be taken for a free name.
bool NextFreeNameBut(const std::u16string& base, const std::u16string& avoid,
                     std::u16string& name)
{
    // The counter only rises, so the name after avoid's is another.
    return NextFreeName(base, name) &&
           (platform::CompareTextIgnoringCase(name, avoid) != 0 || NextFreeName(base, name));
}

// Where a given path is written: the folder it led to when first looked at, held
// and named by its final path, so that no step can act in another folder when a
// link on the way is switched meanwhile.
struct Destination {
    platform::File folder;
    std::u16string folderPath;  // its final path and a separator
    std::u16string target;      // that and the given name
};

// Before each step: the folder's final path leads to the held folder still, or
// nothing more is touched.
bool StillThere(const Destination& to)
{
    if (platform::LeadsToHeldFolder(to.folderPath, to.folder)) {
        return true;
    }
    platform::SetLastError(platform::kErrorAccessDenied);
    return false;
}

// Only a plain file, or nothing yet, may stand where the patch goes.
bool IsReplaceable(const std::u16string& path)
{
    return platform::QueryEntry(path) != platform::EntryKind::Refused;
}

bool FindDestination(const std::u16string& patchPath, Destination& to)
{
    std::u16string full;
    const std::uint32_t length = platform::GetFullPathName(patchPath, kFullPathUnits, full);
    if (length == 0 || length >= kFullPathUnits || !IsReplaceable(full)) {
        return false;
    }
    const std::size_t nameStart = full.find_last_of(u"\\/") + 1;
    const std::u16string folder = full.substr(0, nameStart);
    // Named without its closing separator where it has a name of its own (not "C:\").
    const std::u16string folderEntry =
        nameStart > 1 && folder[nameStart - 2] != u':' ? folder.substr(0, nameStart - 1) : folder;
    const platform::File first = platform::HoldFolder(folder);
    if (!first || !FinalPathToHandOn(first, folderEntry, to.folderPath)) {
        return false;
    }
    if (!EndsWithSeparator(to.folderPath)) {
        to.folderPath += u'\\';
    }
    // Held again by that name: where a final path is made apart from the opening
    // (Wine), a link switched in between names another folder than the one opened.
    to.folder = platform::HoldFolder(to.folderPath);
    to.target = to.folderPath + full.substr(nameStart);
    return to.folder && IsReplaceable(to.target);
}

// A new file beside the target, never at the target's own name.
platform::File CreateSideFile(const Destination& to, std::u16string& side)
{
    for (int race = 0; race <= kMaxCreateRaces; ++race) {
        if (!StillThere(to) || !NextFreeNameBut(to.folderPath + kTempPrefix, to.target, side)) {
            return {};
        }
        platform::File file = CreateFileAt(side, platform::FileDisposition::CreateNew);
        if (file || !IsExistsError(platform::GetLastError())) {
            return file;
        }
    }
    return {};
}

// Moves the complete file side over the target, an existing target keeping its identity
// (security, attributes, streams). On failure the target is as it was and side remains.
bool PutInPlace(const Destination& to, const std::u16string& side)
{
    const std::u16string& target = to.target;
    std::u16string backup;
    if (!StillThere(to)) {
        return false;
    }
    if (platform::QueryEntry(target) == platform::EntryKind::Missing) {
        return platform::MoveFileReplacing(side, target);
    }
    if (!NextFreeNameBut(to.folderPath + kTempPrefix, target, backup) || !StillThere(to)) {
        return false;
    }
    if (platform::ReplaceFile(target, side, backup)) {
        if (StillThere(to)) {
            platform::DeleteFile(backup);  // the old content
        }
        return true;
    }
    const std::uint32_t error = platform::GetLastError();
    if (error == platform::kErrorFileNotFound) {  // gone since, or a link
        return StillThere(to) && platform::MoveFileReplacing(side, target);
    }
    if (error == platform::kErrorUnableToMoveReplacement2 && StillThere(to)) {
        // The old file back to its name, unless something took it meanwhile.
        platform::MoveFileNew(backup, target);
    }
    platform::SetLastError(error);
    return false;
}

// Written beside the target and moved over it once complete and on disk, so that
// a failure never costs the user an existing file.
bool WriteOver(const std::u16string& patchPath, const platform::ResourceBytes& payload)
{
    Destination to;
    std::u16string side;
    if (!FindDestination(patchPath, to)) {
        return false;
    }
    platform::File file = CreateSideFile(to, side);
    if (!file) {
        return false;
    }
    if (!WriteAll(std::move(file), payload, true) || !PutInPlace(to, side)) {
        const platform::LastErrorKeeper keeper;
        if (StillThere(to)) {
            platform::DeleteFile(side);
        }
        return false;
    }
    return true;
}

// A new file of the payload under a free temporary name in folder; patchPath is
// the name it has or was to have.
bool WriteTemporaryFile(const TempFolder& folder, TempUse use, std::u16string& patchPath)
{
    const std::u16string base = TempNameBase(folder, kTempPrefix);
    std::u16string name;
    if (!NextFreeName(base, name, use)) {
        return false;
    }
    patchPath = name;
    platform::ResourceBytes payload;
    if (!LoadPayload(payload)) {
        return false;
    }
    platform::File file = CreateNewFile(base, name, use);
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

}  // namespace

void ResetTempNameCounter() { g_tempNameCounter = 1; }

std::u16string DefaultRecordPath()
{
    std::u16string tempPath;
    const std::uint32_t length = platform::GetTempPath(kTempPathUnits, tempPath);
    const std::vector<TempFolder> folders =
        TempFolderOrder(length == 0 || length > kTempPathUnits ? u"" : tempPath);
    return FolderBase(folders.front().path) + kRecordName;
}

bool ExtractPatch(std::u16string& patchPath)
{
    platform::ResourceBytes payload;
    if (!patchPath.empty()) {
        return LoadPayload(payload) && WriteOver(patchPath, payload);
    }
    std::vector<TempFolder> folders;
    if (!TemporaryFolders(folders)) {
        return false;
    }
    return WriteTemporaryFile(folders.front(), TempUse::Output, patchPath);
}

bool TemporaryFolders(std::vector<TempFolder>& folders)
{
    std::u16string tempPath;
    const std::uint32_t length = platform::GetTempPath(kTempPathUnits, tempPath);
    if (length == 0 || length > kTempPathUnits) {
        return false;
    }
    folders = TempFolderOrder(tempPath);
    return true;
}

bool ExtractTemporaryCopy(const TempFolder& folder, std::u16string& patchPath)
{
    return WriteTemporaryFile(folder, TempUse::OwnCopy, patchPath);
}

bool LoadPayload(platform::ResourceBytes& payload)
{
    return platform::LoadResource(kPayloadType, kPayloadName, payload) ==
           platform::ResourceResult::Found;
}
