// The in-memory file system the file doubles share: where a path leads and who has a file open.
#include "doubles/fake_platform.h"

#include <algorithm>

#include "doubles/fake_file_system.h"
#include "common/error_codes.h"

namespace fake {
namespace {

// This area's part of the double's state.
FileSystemState& State() { return Platform().files; }

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

}  // namespace

const std::u16string& Followed(const std::u16string& path)
{
    const auto link = State().links.find(path);
    return link == State().links.end() ? path : link->second;
}

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

bool DirectoryExists(const std::u16string& path)
{
    return State().directories.count(path) != 0 ||
           State().directories.count(WithoutTrailingSeparator(path)) != 0;
}

bool TakesPath(const std::u16string& path, std::u16string& out)
{
    if (path.size() >= platform::kLongestPathUnits) {
        Platform().thread.lastError = errors::kFilenameTooLong;
        return false;
    }
    out = path;
    return true;
}

std::u16string Resolved(std::u16string path)
{
    const std::u16string& current = State().currentDirectory;
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
            std::find_if(State().links.begin(), State().links.end(), [&](const auto& l) {
                return path == l.first || StartsWithFolder(path, l.first);
            });
        if (link == State().links.end()) {
            break;
        }
        path = link->second + path.substr(link->first.size());
    }
    return path;
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
    return std::any_of(State().handles.begin(), State().handles.end(), [&](const auto& open) {
        const auto other = open.second.disposition;
        return open.second.path == path && (disposition != kReader || other != kReader) &&
               (disposition != kAppender || other != kAppender);
    });
}

bool IsOpen(const std::u16string& path)
{
    return std::any_of(State().handles.begin(), State().handles.end(),
                       [&](const auto& open) { return open.second.path == path; });
}

}  // namespace fake
