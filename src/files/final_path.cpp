#include "files/final_path.h"

#include <cstdint>

#include "common/text.h"
#include "common/error_codes.h"
#include "platform/files.h"
#include "platform/final_path.h"
#include "platform/thread_state.h"

namespace {

constexpr char16_t kLongPrefix[] = u"\\\\?\\";
constexpr char16_t kLongUncPrefix[] = u"\\\\?\\UNC\\";
// Beyond this a path needs its long form to be opened at all.
constexpr std::size_t kMaxPlainPath = 259;
// Tried in this order, both handles in the same form: the first needs a drive
// letter, the second a readable way to the file.
constexpr platform::PathForm kFormsInTurn[] = {platform::PathForm::Dos, platform::PathForm::Nt,
                                               platform::PathForm::Opened};

bool StartsWith(const std::u16string& text, std::u16string_view start)
{
    return text.compare(0, start.size(), start) == 0;
}

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

// The plain form of a long path, or empty when it has none.
std::u16string PlainForm(const std::u16string& path)
{
    if (StartsWith(path, kLongUncPrefix)) {
        return u"\\\\" + path.substr(std::size(kLongUncPrefix) - 1);
    }
    const std::size_t drive = std::size(kLongPrefix) - 1;
    if (StartsWith(path, kLongPrefix) && path.size() > drive + 1 && path[drive + 1] == u':') {
        return path.substr(drive);
    }
    return {};
}

}  // namespace

bool FinalPathToHandOn(const platform::File& file, const std::u16string& created,
                       std::u16string& path)
{
    std::u16string final;
    if (!platform::GetFinalPath(file, final)) {
        // No drive letter to hand on: the name it was made under, while that leads to it.
        if (!IsEntryAt(file, created)) {
            platform::SetLastError(errors::kAccessDenied);
            return false;
        }
        return platform::GetFullPathName(created, path);
    }
    // Plain names go through the usual clean-up (trailing dots and spaces dropped,
    // device names), which could lead elsewhere: the plain form is used only
    // when that leaves it as it is.
    const std::u16string plain = PlainForm(final);
    std::u16string full;
    path = !plain.empty() && plain.size() <= kMaxPlainPath &&
                   platform::GetFullPathName(plain, full) && full == plain
               ? plain
               : final;
    return true;
}

bool IsEntryAt(const platform::File& file, const std::u16string& path)
{
    const std::size_t nameStart = path.find_last_of(u"\\/") + 1;
    const std::u16string directory = nameStart == 0 ? u"." : path.substr(0, nameStart);
    for (const platform::PathForm form : kFormsInTurn) {
        std::u16string expected;
        std::u16string actual;
        if (!platform::GetFinalPathOfDirectory(directory, expected, form) ||
            !platform::GetFinalPath(file, actual, form)) {
            continue;
        }
        if (expected.empty() || !IsSeparator(expected.back())) {
            expected += u'\\';
        }
        // The file system has the last word on case; a name made here differs in no other way.
        return EqualsAsciiIgnoringCase(actual, expected + path.substr(nameStart));
    }
    return false;
}

platform::File CreateFileAt(const std::u16string& path, platform::FileDisposition disposition)
{
    using platform::FileDisposition;
    platform::File file = platform::OpenFile(path, disposition);
    // A disposition that may open an existing file says so as CreateFileW does,
    // and so does this on success.
    const std::uint32_t opened = platform::GetLastError();
    const bool existed = disposition != FileDisposition::CreateNew &&
                         disposition != FileDisposition::CreateNewHeld &&
                         disposition != FileDisposition::CreateNewTemporary &&
                         opened == errors::kAlreadyExists;
    if (!file) {
        return file;
    }
    if (IsEntryAt(file, path)) {
        platform::SetLastError(opened);
        return file;
    }
    if (existed) {
        file.Reset();
    } else {
        platform::DeleteThroughHandle(file);
    }
    platform::SetLastError(errors::kAccessDenied);
    return {};
}
