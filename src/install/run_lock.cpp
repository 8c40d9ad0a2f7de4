#include "install/run_lock.h"

#include <cstdint>
#include <string>

#include "common/error_codes.h"
#include "installer/installer.h"
#include "platform/thread_state.h"

namespace {

// One name for every executable built from this project, in the machine's
// namespace or else the session's.
constexpr char16_t kName[] = u"ServicePackRun-5E0C7A41-93D2-4F8B-A6E1-2C7B0D9F3E58";
constexpr char16_t kGlobalNamespace[] = u"Global\\";
constexpr char16_t kSessionNamespace[] = u"Local\\";
constexpr std::uint32_t kWaitMilliseconds = 60 * 1000;

}  // namespace

platform::Mutex TakeRunLock()
{
    platform::Mutex lock = platform::CreateNamedMutex(kGlobalNamespace + std::u16string(kName));
    // Refused there (the global namespace closed to this process, or the name
    // taken by an object not ours to open): at least this session's runs keep apart.
    if (!lock) {
        lock = platform::CreateNamedMutex(kSessionNamespace + std::u16string(kName));
    }
    if (!lock) {
        return lock;
    }
    switch (platform::WaitForMutex(lock, kWaitMilliseconds)) {
    case platform::MutexWait::Acquired:
    case platform::MutexWait::Abandoned:  // its holder was killed; nothing else holds it
        return lock;
    case platform::MutexWait::TimedOut:
        lock.Reset();
        platform::SetLastError(errors::kInstallAlreadyRunning);
        return lock;
    case platform::MutexWait::Failed:
        break;
    }
    lock.Reset();
    return lock;
}
