#pragma once

// The calling thread's locale and last error (win32_thread_state.cpp; tests link
// a double).

#include <cstdint>

namespace platform {

std::uint32_t GetThreadLocale();
void SetThreadLocale(std::uint32_t locale);
// The language of the user's Windows (GetUserDefaultUILanguage).
std::uint16_t GetUserDefaultUILanguage();
std::uint32_t GetLastError();
void SetLastError(std::uint32_t error);

}  // namespace platform
