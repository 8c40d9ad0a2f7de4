#include "payload/temp_patch.h"

#include <vector>

#include "files/handed_on_path.h"
#include "files/temp_folders.h"
#include "payload/extract.h"
#include "payload/leftover.h"
#include "payload/summary.h"
#include "common/error_codes.h"
#include "platform/files.h"
#include "platform/final_path.h"
#include "platform/thread_state.h"

TempPatch::~TempPatch()
{
    if (held_) {
        // By name it could be another file by now, anywhere a link leads.
        platform::DeleteThroughHandle(held_);
    } else if (!created_.empty()) {
        platform::DeleteFile(created_);
    }
}

bool TempPatch::Create()
{
    std::vector<TempFolder> folders;
    if (!TemporaryFolders(folders)) {
        return false;
    }
    // A folder whose final path the installer would read as more than one file
    // is passed over like a missing one.
    for (const TempFolder& folder : folders) {
        std::u16string path;
        if (!ExtractTemporaryCopy(folder, path)) {
            return false;
        }
        created_ = std::move(path);
        // The file was closed after writing; anyone could have changed it since.
        held_ = platform::OpenFile(created_, platform::FileDisposition::ReadShareRead);
        if (!held_ || !HoldsPayload(held_)) {
            return false;
        }
        std::u16string handedOn;
        if (PathToHandOn(held_, created_, handedOn)) {
            return true;
        }
        if (platform::GetLastError() != errors::kInvalidName) {
            return false;
        }
        platform::DeleteThroughHandle(held_);
        created_.clear();
    }
    platform::SetLastError(errors::kInvalidName);
    return false;
}

bool TempPatch::CheckedPath(std::u16string& path) const
{
    return RecheckPathToHandOn(held_, created_, path);
}

bool ReadEmbeddedPatchTemplate(std::u16string& productList)
{
    TempPatch patch;
    std::u16string path;
    return patch.Create() && patch.CheckedPath(path) && ReadPatchTemplate(path, productList);
}
