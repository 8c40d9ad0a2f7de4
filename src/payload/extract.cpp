#include "payload/extract.h"

#include <span>
#include <vector>

#include "common/file_names.h"
#include "files/temp_names.h"
#include "files/write_all.h"
#include "files/write_over.h"
#include "payload/embedded_patch.h"
#include "payload/leftover.h"
#include "platform/files.h"
#include "platform/resources.h"
#include "record/events.h"

namespace {

std::span<const std::uint8_t> Bytes(const platform::ResourceBytes& payload)
{
    return {payload.data, payload.size};
}

// What a temporary name is made for: the user's file, or a copy the program reads
// itself, whose leftovers from a killed run it may clear away on the way.
enum class TempUse { Output, OwnCopy };

// A new file of the payload under a free temporary name in folder; patchPath is
// the name it has or was to have.
bool WriteTemporaryFile(const TempFolder& folder, TempUse use, std::u16string& patchPath)
{
    record::TempFolderChosen(folder.path, folder.reason);
    const std::u16string base = WithClosingSeparator(folder.path) + kTempPrefix;
    const ReclaimName reclaim = use == TempUse::OwnCopy ? RemoveIfLeftover : nullptr;
    std::u16string name;
    if (!NextFreeName(base, name, reclaim)) {
        return false;
    }
    patchPath = name;
    platform::ResourceBytes payload;
    if (!LoadPayload(payload)) {
        return false;
    }
    platform::File file =
        CreateNewFile(base, name,
                      use == TempUse::OwnCopy ? platform::FileDisposition::CreateNewTemporary
                                              : platform::FileDisposition::CreateNew,
                      reclaim);
    patchPath = name;
    if (!file) {
        return false;
    }
    if (!WriteAll(std::move(file), Bytes(payload), false)) {
        DiscardKeepingError(name);
        return false;
    }
    return true;
}

}  // namespace

bool ExtractPatch(std::u16string& patchPath)
{
    platform::ResourceBytes payload;
    if (!patchPath.empty()) {
        return LoadPayload(payload) && WriteOver(patchPath, Bytes(payload));
    }
    std::vector<TempFolder> folders;
    if (!TemporaryFolders(folders)) {
        return false;
    }
    return WriteTemporaryFile(folders.front(), TempUse::Output, patchPath);
}

bool ExtractTemporaryCopy(const TempFolder& folder, std::u16string& patchPath)
{
    return WriteTemporaryFile(folder, TempUse::OwnCopy, patchPath);
}
