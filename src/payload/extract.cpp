#include "payload/extract.h"

#include <cstdint>

#include "common/text.h"
#include "platform/platform.h"

namespace {

constexpr std::uint32_t kTempPathUnits = 1024;
constexpr char16_t kTempPrefix[] = u"MSP";
constexpr char16_t kPayloadType[] = u"MSP";
constexpr char16_t kPayloadName[] = u"IDR_MSP";
constexpr std::uint32_t kMaxRejectedNames = 2147483647u;
// A generated name taken by someone else between check and creation is
// skipped; this bounds how often that may happen in one call.
constexpr int kMaxCreateRaces = 1000;

std::uint64_t g_tempNameCounter = 1;

bool EndsWithSeparator(const std::u16string& path)
{
    return !path.empty() && (path.back() == u'\\' || path.back() == u'/');
}

std::u16string ChooseTempDirectory(const std::u16string& tempPath)
{
    std::u16string tmp;
    if (platform::GetEnvironmentVariable(u"TMP", tmp) && !tmp.empty() &&
        platform::QueryPath(tmp) == platform::PathState::Exists) {
        return tmp;
    }
    if (!tempPath.empty() && platform::QueryPath(tempPath) == platform::PathState::Exists) {
        return tempPath;
    }
    if (platform::QueryPath(u"\\") == platform::PathState::Exists) {
        return u"\\";
    }
    return u".";
}

bool IsExistsError(std::uint32_t error)
{
    return error == platform::kErrorFileExists || error == platform::kErrorAlreadyExists;
}

}  // namespace

void ResetTempNameCounter() { g_tempNameCounter = 1; }

bool MakeTempName(const std::u16string& tempPath, const std::u16string& prefix,
                  std::u16string& name)
{
    std::u16string base = ChooseTempDirectory(tempPath);
    if (!EndsWithSeparator(base)) {
        base += u'\\';
    }
    base += prefix;
    for (std::uint32_t rejected = 0; rejected < kMaxRejectedNames; ++rejected) {
        ++g_tempNameCounter;
        std::u16string candidate = base + ToDecimal(static_cast<std::int64_t>(g_tempNameCounter));
        if (platform::QueryPath(candidate) == platform::PathState::Missing) {
            name = std::move(candidate);
            return true;
        }
    }
    return false;
}

bool ExtractPatch(std::u16string& patchPath)
{
    const bool generated = patchPath.empty();
    std::u16string tempPath;
    if (generated) {
        const std::uint32_t length = platform::GetTempPath(kTempPathUnits, tempPath);
        if (length == 0 || length > kTempPathUnits) {
            return false;
        }
        std::u16string name;
        if (!MakeTempName(tempPath, kTempPrefix, name)) {
            return false;
        }
        patchPath = std::move(name);
    }

    platform::ResourceBytes payload;
    if (platform::LoadResource(kPayloadType, kPayloadName, payload) !=
        platform::ResourceResult::Found) {
        return false;
    }

    platform::File file;
    if (generated) {
        // Never write through a file someone planted under a predictable name.
        for (int race = 0;; ++race) {
            file = platform::OpenFile(patchPath, platform::FileDisposition::CreateNew);
            if (file || !IsExistsError(platform::GetLastError()) || race == kMaxCreateRaces) {
                break;
            }
            std::u16string name;
            if (!MakeTempName(tempPath, kTempPrefix, name)) {
                return false;
            }
            patchPath = std::move(name);
        }
    } else {
        file = platform::OpenFile(patchPath, platform::FileDisposition::CreateOrTruncate);
    }
    if (!file) {
        return false;
    }

    std::size_t written = 0;
    platform::WriteFile(file, payload.data, payload.size, written);
    return written == payload.size;
}

bool LoadPayload(platform::ResourceBytes& payload)
{
    return platform::LoadResource(kPayloadType, kPayloadName, payload) ==
           platform::ResourceResult::Found;
}
