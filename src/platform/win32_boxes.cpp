// The Windows edge: message boxes on this desktop.
#include "platform/win32_edge.h"

#include "platform/boxes.h"
#include "platform/libraries.h"

namespace platform {
namespace {

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

int MessageBox(const std::u16string& text, const std::u16string& title, std::uint32_t flags)
{
    static auto* const messageBox = User32Entry<decltype(::MessageBoxW)>("MessageBoxW");
    return messageBox != nullptr ? messageBox(nullptr, Wide(text), Wide(title), flags) : 0;
}

}  // namespace platform
