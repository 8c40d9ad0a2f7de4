#include "payload/temp_patch.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "files/final_path.h"
#include "payload/extract.h"
#include "payload/summary.h"

namespace {

// Reported when the file no longer holds what was written to it.
constexpr std::uint32_t kErrorInvalidData = 13;
constexpr std::size_t kChunkBytes = 1 << 20;

bool HoldsPayload(const platform::File& file)
{
    platform::ResourceBytes payload;
    if (!LoadPayload(payload)) {
        return false;
    }
    std::vector<std::uint8_t> chunk(kChunkBytes);
    std::size_t offset = 0;
    for (;;) {
        std::size_t read = 0;
        if (!platform::ReadFile(file, chunk.data(), chunk.size(), read)) {
            return false;
        }
        if (read == 0 && offset == payload.size) {
            return true;
        }
        if (read == 0 || read > payload.size - offset ||
            std::memcmp(chunk.data(), payload.data + offset, read) != 0) {
            platform::SetLastError(kErrorInvalidData);
            return false;
        }
        offset += read;
    }
}

}  // namespace

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
    std::u16string path;
    if (!ExtractPatch(path)) {
        return false;
    }
    created_ = std::move(path);
    // The file was closed after writing; anyone could have changed it since.
    held_ = platform::OpenFile(created_, platform::FileDisposition::ReadShareRead);
    return held_ && HoldsPayload(held_) && FinalPathToHandOn(held_, created_, path_);
}

bool ReadEmbeddedPatchTemplate(std::u16string& productList)
{
    TempPatch patch;
    return patch.Create() && ReadPatchTemplate(patch.Path(), productList);
}
