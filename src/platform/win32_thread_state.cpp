// The Windows edge: the thread's locale and last error.
#include "platform/win32_edge.h"

#include "platform/thread_state.h"

namespace platform {

std::uint32_t GetThreadLocale() { return ::GetThreadLocale(); }
void SetThreadLocale(std::uint32_t locale) { ::SetThreadLocale(locale); }
std::uint16_t GetUserDefaultUILanguage() { return ::GetUserDefaultUILanguage(); }
std::uint32_t GetLastError() { return ::GetLastError(); }
void SetLastError(std::uint32_t error) { ::SetLastError(error); }

}  // namespace platform
