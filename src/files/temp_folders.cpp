#include "files/temp_folders.h"

#include <cstdint>
#include <string_view>

#include "common/text.h"
#include "platform/account.h"
#include "platform/environment.h"
#include "platform/files.h"

namespace {


// Whether two folder names are one text but for a closing separator and case.
bool SameFolder(std::u16string_view a, std::u16string_view b)
{
    const auto unclosed = [](std::u16string_view folder) {
        const bool closed = folder.size() > 1 && (folder.back() == u'\\' || folder.back() == u'/');
        return closed ? folder.substr(0, folder.size() - 1) : folder;
    };
    return EqualsAsciiIgnoringCase(unclosed(a), unclosed(b));
}

void AddFolder(std::vector<TempFolder>& folders, const std::u16string& folder, TempReason reason)
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
        AddFolder(folders, tmp, TempReason::Tmp);
    }
    if (!tempPath.empty() && platform::QueryPath(tempPath) == platform::PathState::Exists) {
        AddFolder(folders, tempPath,
                  localSystem ? TempReason::SystemForLocalSystem : TempReason::SystemAnswer);
    }
    if (platform::QueryPath(u"\\") == platform::PathState::Exists) {
        AddFolder(folders, u"\\", TempReason::Root);
    }
    AddFolder(folders, u".", TempReason::Current);
    return folders;
}

}  // namespace

bool TemporaryFolders(std::vector<TempFolder>& folders)
{
    std::u16string tempPath;
    if (!platform::GetTempPath(tempPath)) {
        return false;
    }
    folders = TempFolderOrder(tempPath);
    return true;
}

std::u16string FirstTemporaryFolder()
{
    std::u16string tempPath;
    return TempFolderOrder(platform::GetTempPath(tempPath) ? tempPath : u"").front().path;
}
