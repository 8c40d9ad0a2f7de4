#include "files/temp_names.h"

#include "common/text.h"
#include "files/final_path.h"
#include "common/error_codes.h"
#include "platform/files.h"
#include "platform/processes.h"
#include "platform/thread_state.h"

namespace {

constexpr std::uint32_t kMaxRejectedNames = 2147483647u;
// A directory whose entries cannot be checked would otherwise be searched for
// hours; this many refused checks in a row give up on it.
constexpr int kMaxRefusedChecks = 100;

std::uint64_t g_tempNameCounter = 1;

}  // namespace

void ResetTempNameCounter() { g_tempNameCounter = 1; }

bool IsExistsError(std::uint32_t error)
{
    return error == errors::kFileExists || error == errors::kAlreadyExists;
}

bool NextFreeName(const std::u16string& base, std::u16string& name, ReclaimName reclaim)
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
            if (reclaim != nullptr && reclaim(candidate)) {
                name = std::move(candidate);
                return true;
            }
            refusedInARow = 0;
            break;
        }
    }
    return false;
}

bool NextFreeNameBut(const std::u16string& base, const std::u16string& avoid,
                     std::u16string& name)
{
    // The counter only rises, so the name after avoid's is another.
    return NextFreeName(base, name) &&
           (platform::CompareTextIgnoringCase(name, avoid) != 0 || NextFreeName(base, name));
}

platform::File CreateNewFile(const std::u16string& base, std::u16string& name,
                             platform::FileDisposition disposition, ReclaimName reclaim)
{
    for (int race = 0;; ++race) {
        platform::File file = CreateFileAt(name, disposition);
        if (file || !IsExistsError(platform::GetLastError()) || race == kMaxCreateRaces ||
            !NextFreeName(base, name, reclaim)) {
            return file;
        }
    }
}
