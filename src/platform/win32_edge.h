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
