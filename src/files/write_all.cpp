#include "files/write_all.h"
#include "platform/files.h"
#include "platform/thread_state.h"

bool WriteAll(platform::File file, std::span<const std::uint8_t> bytes, bool durable)
{
    std::size_t written = 0;
    const bool ok = platform::WriteFile(file, bytes.data(), bytes.size(), written) &&
                    (!durable || platform::FlushFile(file));
    file.Reset();
    return ok && written == bytes.size();
}

void DiscardKeepingError(const std::u16string& path)
{
    const platform::LastErrorKeeper keeper;
    platform::DeleteFile(path);
}
