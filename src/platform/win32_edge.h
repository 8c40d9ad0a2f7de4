#pragma once

// What the Windows edge's files share: windows.h without the A/W renames of the
// boundary's own names, and the UTF-16 <-> wchar_t views.
#include <windows.h>

#undef DeleteFile
#undef GetEnvironmentVariable
#undef GetFullPathName
#undef GetShortPathName
#undef GetTempPath
#undef MessageBox
#undef ReplaceFile

#include <cstdint>
#include <cwchar>
#include <string>

#include "common/error_codes.h"
#include "platform/files.h"

namespace platform {

inline const wchar_t* Wide(const std::u16string& text)
{
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

inline std::u16string FromWide(const wchar_t* text, std::size_t length)
{
    return std::u16string(reinterpret_cast<const char16_t*>(text), length);
}

inline std::u16string FromWide(const wchar_t* text) { return FromWide(text, std::wcslen(text)); }

inline HANDLE ToHandle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

// A path from a call that answers as GetTempPathW and GetFullPathNameW do: the
// length written, 0 on failure, or the size it needs, terminator included. Asked
// again once at that size; a path longer than the system takes is refused.
template <typename Call>
bool ReadPath(std::u16string& path, Call call)
{
    DWORD units = MAX_PATH + 1;
    for (int attempt = 0; attempt < 2; ++attempt) {
        std::wstring buffer(units, L'\0');
        const DWORD length = call(units, buffer.data());
        if (length == 0) {
            return false;
        }
        if (length < units) {
            path = FromWide(buffer.data(), length);
            return true;
        }
        if (length > kLongestPathUnits) {
            break;
        }
        units = length;
    }
    ::SetLastError(errors::kFilenameTooLong);
    return false;
}

// Looked up, not imported: a system without it must still start the program.
template <typename Function>
Function Kernel32Function(const char* name)
{
    FARPROC address = ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), name);
    return reinterpret_cast<Function>(reinterpret_cast<void*>(address));
}

// An advapi32 function, from the system directory, loaded on first use; null when
// the system lacks it.
FARPROC Advapi32Procedure(const char* name);

template <typename Function>
Function* Advapi32Entry(const char* name)
{
    return reinterpret_cast<Function*>(reinterpret_cast<void*>(Advapi32Procedure(name)));
}

}  // namespace platform
