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

constexpr DWORD kServicesSession = 0;

// user32 is loaded only when a box may be shown: runs that show none (/e) stay
// small, since loading it costs about 5 MiB of resident memory under Wine.
template <typename Function>
Function* User32Entry(const char* name)
{
    static const Library user32 = LoadSystemLibrary(u"user32.dll");
    FARPROC address = user32 ? ::GetProcAddress(static_cast<HMODULE>(user32.Get()), name) : nullptr;
    return reinterpret_cast<Function*>(reinterpret_cast<void*>(address));
}

bool IsStationVisible()
{
    auto* const station =
        User32Entry<decltype(::GetProcessWindowStation)>("GetProcessWindowStation");
    auto* const information =
        User32Entry<decltype(::GetUserObjectInformationW)>("GetUserObjectInformationW");
    if (station == nullptr || information == nullptr) {
        return false;  // no user32, no box either
    }
    USEROBJECTFLAGS flags = {};
    DWORD needed = 0;
    HWINSTA handle = station();
    // A station that cannot be asked is treated as one that can be seen, as before.
    if (handle == nullptr || !information(handle, UOI_FLAGS, &flags, sizeof flags, &needed)) {
        return true;
    }
    return (flags.dwFlags & WSF_VISIBLE) != 0;
}

}  // namespace

bool IsDesktopVisible()
{
    // Asked on the way to message 300, which shows the last error: left as found.
    const DWORD error = ::GetLastError();
    static const bool visible = [] {
        DWORD session = 0;
        // Services run in session 0, which has no interactive desktop since Windows Vista.
        if (::ProcessIdToSessionId(::GetCurrentProcessId(), &session) &&
            session == kServicesSession) {
            return false;
        }
        return IsStationVisible();
    }();
    ::SetLastError(error);
    return visible;
}

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
    static auto* const messageBox = User32Entry<decltype(::MessageBoxW)>("MessageBoxW");
    return messageBox != nullptr ? messageBox(nullptr, Wide(text), Wide(title), flags) : 0;
}

}  // namespace platform
