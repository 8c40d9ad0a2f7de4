// The final-path double: where an open file is, and which file it is.
#include "doubles/fake_platform.h"

#include "common/error_codes.h"

#include "doubles/fake_file_system.h"
#include "platform/final_path.h"
#include "platform/thread_state.h"

namespace platform {
namespace {

// This area's part of the double's state.
fake::FileSystemState& State() { return fake::Platform().files; }

// What the system reports as the final path of a resolved one in that form;
// false when it has none there.
bool FinalOf(const std::u16string& resolved, PathForm form, std::u16string& path)
{
    for (const auto& [start, first] : State().firstFormAt) {
        if (resolved.rfind(start, 0) == 0 && form < first) {
            SetLastError(errors::kPathNotFound);
            return false;
        }
    }
    const bool drive = resolved.size() > 1 && resolved[1] == u':';
    if (form == PathForm::Dos) {
        path = u"\\\\?\\" + resolved;
    } else {
        path = drive ? u"\\Device\\Volume" + resolved.substr(0, 1) + resolved.substr(2)
                     : resolved;
    }
    return true;
}

}  // namespace

bool GetFinalPath(const File& file, std::u16string& path, PathForm form)
{
    const auto it = State().handles.find(file.Get());
    if (it == State().handles.end()) {
        SetLastError(errors::kInvalidHandle);
        return false;
    }
    return FinalOf(fake::Resolved(it->second.path), form, path);
}

bool GetFinalPathOfDirectory(const std::u16string& directory, std::u16string& path,
                             PathForm form)
{
    const std::u16string resolved = fake::Resolved(directory);
    if (!fake::DirectoryExists(directory) && !fake::DirectoryExists(resolved)) {
        SetLastError(errors::kPathNotFound);
        return false;
    }
    return FinalOf(resolved, form, path);
}

bool DeleteThroughHandle(File& file)
{
    const auto it = State().handles.find(file.Get());
    const std::u16string path = it == State().handles.end() ? u"" : it->second.path;
    file.Reset();
    State().deleted.push_back(path);
    return State().contents.erase(path) != 0;
}

bool GetFileIdentity(const File& file, FileIdentity& identity)
{
    const auto it = State().handles.find(file.Get());
    if (it == State().handles.end()) {
        SetLastError(errors::kInvalidHandle);
        return false;
    }
    identity = FileIdentity{1, it->second.index};
    return true;
}

bool GetShortPathName(const std::u16string& path, std::u16string& shortPath)
{
    const auto it = State().shortNames.find(path);
    shortPath = it == State().shortNames.end() ? path : it->second;
    return true;
}

}  // namespace platform
