#include "files/write_all.h"
#include "platform/files.h"
#include "platform/thread_state.h"

bool WriteAll(platform::File file, std::span<const std::uint8_t> bytes, bool durable)
{
    std::size_t written = 0;
    const bool ok = platform::WriteFile(file, bytes.data(), bytes.size(), written) &&
                    (!durable || platform::FlushFile(file));
    const std::uint32_t error = platform::GetLastError();
    file.Reset();
    platform::SetLastError(error);
    return ok && written == bytes.size();
}

void DiscardKeepingError(const std::u16string& path)
{
    const std::uint32_t error = platform::GetLastError();
    platform::DeleteFile(path);
    platform::SetLastError(error);
}
