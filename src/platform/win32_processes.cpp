// The Windows edge: the process list.
#include "platform/win32_edge.h"
#include <tlhelp32.h>

#include <cstring>

#include "common/unique_handle.h"
#include "platform/processes.h"

namespace platform {
namespace {

struct SnapshotTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle handle) { ::CloseHandle(handle); }
};

}  // namespace

std::optional<std::vector<ProcessEntry>> SnapshotProcesses()
{
    UniqueHandle<SnapshotTraits> snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) {
        return std::nullopt;
    }
    std::vector<ProcessEntry> entries;
    PROCESSENTRY32W entry;
    std::memset(&entry, 0, sizeof entry);
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snapshot.Get(), &entry); more;
         more = ::Process32NextW(snapshot.Get(), &entry)) {
        entries.push_back(ProcessEntry{entry.th32ProcessID, FromWide(entry.szExeFile)});
    }
    return entries;
}

int CompareTextIgnoringCase(const std::u16string& a, const std::u16string& b)
{
    return ::lstrcmpiW(Wide(a), Wide(b));
}

}  // namespace platform
