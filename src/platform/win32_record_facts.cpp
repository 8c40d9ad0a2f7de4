// The Windows edge: what the run's record states beside its events (process,
// session, program, error texts).
#include "platform/win32_edge.h"

#include "platform/record_facts.h"

namespace platform {

std::uint32_t ProcessId() { return ::GetCurrentProcessId(); }

bool SessionId(std::uint32_t& session)
{
    DWORD id = 0;
    if (::ProcessIdToSessionId(::GetCurrentProcessId(), &id) == FALSE) {
        return false;
    }
    session = id;
    return true;
}

std::u16string ModulePath()
{
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(),
                                                  static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return {};
        }
        if (length < buffer.size()) {
            return FromWide(buffer.data(), length);
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::u16string ErrorText(std::uint32_t error)
{
    constexpr DWORD kFlags =
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK;
    constexpr DWORD kUnits = 1024;
    wchar_t buffer[kUnits];
    // English for an administrator's search, else whatever the system has.
    DWORD length = ::FormatMessageW(kFlags, nullptr, error,
                                    MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), buffer, kUnits,
                                    nullptr);
    if (length == 0) {
        length = ::FormatMessageW(kFlags, nullptr, error, 0, buffer, kUnits, nullptr);
    }
    while (length > 0 && (buffer[length - 1] == L' ' || buffer[length - 1] == L'\r' ||
                          buffer[length - 1] == L'\n')) {
        --length;
    }
    return FromWide(buffer, length);
}

std::u16string LanguageName(std::uint16_t language)
{
    wchar_t buffer[LOCALE_NAME_MAX_LENGTH];
    const int length = ::LCIDToLocaleName(language, buffer, LOCALE_NAME_MAX_LENGTH, 0);
    return length > 1 ? FromWide(buffer, static_cast<std::size_t>(length - 1)) : std::u16string();
}

}  // namespace platform
