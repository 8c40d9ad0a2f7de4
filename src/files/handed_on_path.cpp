#include "files/handed_on_path.h"

#include "files/final_path.h"
#include "common/error_codes.h"
#include "platform/files.h"
#include "platform/final_path.h"
#include "platform/thread_state.h"

namespace {

bool NamesOneFile(const std::u16string& path)
{
    return path.find_first_of(u";\"") == std::u16string::npos;
}

}  // namespace

bool PathToHandOn(const platform::File& file, const std::u16string& created,
                  std::u16string& path)
{
    std::u16string final;
    if (!FinalPathToHandOn(file, created, final)) {
        return false;
    }
    std::u16string shortForm;
    if (!NamesOneFile(final) &&
        (!platform::GetShortPathName(final, shortForm) || !NamesOneFile(shortForm))) {
        platform::SetLastError(errors::kInvalidName);
        return false;
    }
    path = NamesOneFile(final) ? final : shortForm;
    return true;
}

bool RecheckPathToHandOn(const platform::File& file, const std::u16string& created,
                         std::u16string& path)
{
    std::u16string now;
    if (!PathToHandOn(file, created, now)) {
        return false;
    }
    const platform::File again = platform::OpenFile(now, platform::FileDisposition::ReadShareRead);
    platform::FileIdentity held;
    platform::FileIdentity found;
    if (!again || !platform::GetFileIdentity(file, held) ||
        !platform::GetFileIdentity(again, found)) {
        return false;
    }
    if (held != found) {
        platform::SetLastError(errors::kInvalidData);
        return false;
    }
    path = std::move(now);
    return true;
}
