#include "payload/leftover.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "files/final_path.h"
#include "payload/embedded_patch.h"
#include "common/error_codes.h"
#include "platform/files.h"
#include "platform/final_path.h"
#include "platform/resources.h"
#include "platform/thread_state.h"

namespace {

constexpr std::size_t kChunkBytes = 1 << 20;

}  // namespace

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
            platform::SetLastError(errors::kInvalidData);
            return false;
        }
        offset += read;
    }
}

bool RemoveIfLeftover(const std::u16string& path)
{
    platform::File file = platform::OpenFile(path, platform::FileDisposition::ReadExclusiveEntry);
    // The entry itself, checked where links are not reparse points too.
    return file && platform::IsLoneTemporaryFile(file) && IsEntryAt(file, path) &&
           HoldsPayload(file) && platform::DeleteThroughHandle(file);
}
