// The thread-state double: the locale and the last error.
#include "doubles/fake_platform.h"

#include "platform/thread_state.h"

namespace platform {
namespace {

// This area's part of the double's state.
fake::ThreadState& State() { return fake::Platform().thread; }

}  // namespace

std::uint32_t GetThreadLocale() { return State().locale; }

std::uint16_t GetUserDefaultUILanguage() { return State().userUiLanguage; }

void SetThreadLocale(std::uint32_t locale)
{
    State().locale = locale;
    State().localesSet.push_back(locale);
}

std::uint32_t GetLastError()
{
    ++State().lastErrorReads;
    return State().lastError;
}

void SetLastError(std::uint32_t error) { State().lastError = error; }

}  // namespace platform
