#include "payload/extract.h"

#include <cstdint>

#include "files/final_path.h"
#include "common/text.h"
#include "platform/platform.h"
#include "record/events.h"

namespace {

constexpr std::uint32_t kTempPathUnits = 1024;
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

std::u16string ChooseTempDirectory(const std::u16string& tempPath, record::TempReason& reason)
{
    // LocalSystem's TMP may be anyone's; its temporary directory is its own.
    const bool localSystem = platform::IsLocalSystem();
    std::u16string tmp;
    if (!localSystem && platform::GetEnvironmentVariable(u"TMP", tmp) &&
        !tmp.empty() && platform::QueryPath(tmp) == platform::PathState::Exists) {
        reason = record::TempReason::Tmp;
        return tmp;
    }
    if (!tempPath.empty() && platform::QueryPath(tempPath) == platform::PathState::Exists) {
        reason = localSystem ? record::TempReason::SystemForLocalSystem
                             : record::TempReason::SystemAnswer;
        return tempPath;
    }
    if (platform::QueryPath(u"\\") == platform::PathState::Exists) {
        reason = record::TempReason::Root;
        return u"\\";
    }
    reason = record::TempReason::Current;
    return u".";
}

// The directory chosen, ending in a separator.
std::u16string TempDirectoryOf(const std::u16string& tempPath)
{
    record::TempReason reason = record::TempReason::Current;
    std::u16string base = ChooseTempDirectory(tempPath, reason);
    record::TempFolderChosen(base, reason);
    if (!EndsWithSeparator(base)) {
        base += u'\\';
    }
    return base;
}

// What every temporary name in the chosen directory begins with.
std::u16string TempNameBase(const std::u16string& tempPath, const std::u16string& prefix)
{
    return TempDirectoryOf(tempPath) + prefix;
}

// The directory part of path with its separator ("" for a bare name), so a
// name made from it lands beside path.
std::u16string SiblingNameBase(const std::u16string& path)
{
    const auto end = path.find_last_of(u"\\/:");
    return (end == std::u16string::npos ? std::u16string() : path.substr(0, end + 1)) +
           kTempPrefix;
}

// The next "<base><n>" that nothing has; false once checks keep being refused.
bool NextFreeName(const std::u16string& base, std::u16string& name)
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
platform::File CreateNewFile(const std::u16string& base, std::u16string& name)
{
    // Never write through a file someone planted under a predictable name.
    for (int race = 0;; ++race) {
        platform::File file = CreateFileAt(name, platform::FileDisposition::CreateNew);
        if (file || !IsExistsError(platform::GetLastError()) || race == kMaxCreateRaces ||
            !NextFreeName(base, name)) {
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

std::u16string DefaultRecordPath()
{
    std::u16string tempPath;
    const std::uint32_t length = platform::GetTempPath(kTempPathUnits, tempPath);
    return TempDirectoryOf(length == 0 || length > kTempPathUnits ? u"" : tempPath) +
           kRecordName;
}

bool ExtractPatch(std::u16string& patchPath)
{
    const bool generated = patchPath.empty();
    std::u16string base;
    std::u16string name;
    if (generated) {
        std::u16string tempPath;
        const std::uint32_t length = platform::GetTempPath(kTempPathUnits, tempPath);
        if (length == 0 || length > kTempPathUnits) {
            return false;
        }
        base = TempNameBase(tempPath, kTempPrefix);
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

bool LoadPayload(platform::ResourceBytes& payload)
{
    return platform::LoadResource(kPayloadType, kPayloadName, payload) ==
           platform::ResourceResult::Found;
}
