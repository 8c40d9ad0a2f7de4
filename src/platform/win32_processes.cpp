// The Windows edge: the process list and message boxes.
#include "platform/win32_edge.h"
#include <tlhelp32.h>

#include <cstring>

#include "platform/platform.h"

namespace platform {
namespace {

struct SnapshotTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle handle) { ::CloseHandle(handle); }
};

// user32 is loaded only when a box is shown: runs that show none (/e) stay
// small, since loading it costs about 5 MiB of resident memory under Wine.
decltype(::MessageBoxW)* MessageBoxEntry()
{
    static const Library user32 = LoadSystemLibrary(u"user32.dll");
    FARPROC address =
        user32 ? ::GetProcAddress(static_cast<HMODULE>(user32.Get()), "MessageBoxW") : nullptr;
    return reinterpret_cast<decltype(::MessageBoxW)*>(reinterpret_cast<void*>(address));
}

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

int MessageBox(const std::u16string& text, const std::u16string& title, std::uint32_t flags)
{
    static auto* const messageBox = MessageBoxEntry();
    return messageBox != nullptr ? messageBox(nullptr, Wide(text), Wide(title), flags) : 0;
}

}  // namespace platform
