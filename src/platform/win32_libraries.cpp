// The Windows edge: system libraries.
#include "platform/win32_edge.h"

#include "platform/libraries.h"
#include "platform/thread_state.h"

namespace platform {
namespace {

std::wstring SystemDirectory()
{
    const UINT size = ::GetSystemDirectoryW(nullptr, 0);
    std::wstring buffer(size, L'\0');
    const UINT length = size != 0 ? ::GetSystemDirectoryW(buffer.data(), size) : 0;
    return length != 0 && length < size ? buffer.substr(0, length) : std::wstring();
}

}  // namespace

bool RestrictLibrarySearch()
{
    using SetDirectories = BOOL(WINAPI*)(DWORD);
    const auto setDirectories = Kernel32Function<SetDirectories>("SetDefaultDllDirectories");
    return setDirectories != nullptr && setDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32) != FALSE;
}

void LibraryTraits::Close(Handle module)
{
    const LastErrorKeeper keeper;
    ::FreeLibrary(static_cast<HMODULE>(module));
}

Library LoadSystemLibrary(const std::u16string& name)
{
    HMODULE module = ::LoadLibraryExW(Wide(name), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    const std::wstring directory = module == nullptr ? SystemDirectory() : std::wstring();
    if (!directory.empty()) {
        // Systems that reject the flag: the full path, with the library's own
        // imports looked for in its directory rather than the executable's.
        const std::wstring path = directory + L"\\" + Wide(name);
        module = ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    }
    return Library(module);
}

}  // namespace platform
