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

// Puts the last error back as it was when made: for clean-up on the way out of a
// failure, whose caller still reports the reason. Handle types close so as well.
class LastErrorKeeper {
public:
    LastErrorKeeper() : error_(GetLastError()) {}
    ~LastErrorKeeper() { SetLastError(error_); }
    LastErrorKeeper(const LastErrorKeeper&) = delete;
    LastErrorKeeper& operator=(const LastErrorKeeper&) = delete;

private:
    std::uint32_t error_;
};

}  // namespace platform
