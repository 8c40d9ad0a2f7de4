#include "install/run_lock.h"

#include <cstdint>

namespace {

// One name for every executable built from this project.
constexpr char16_t kGlobalName[] = u"Global\\ServicePackRun-5E0C7A41-93D2-4F8B-A6E1-2C7B0D9F3E58";
constexpr char16_t kSessionName[] = u"Local\\ServicePackRun-5E0C7A41-93D2-4F8B-A6E1-2C7B0D9F3E58";
constexpr std::uint32_t kWaitMilliseconds = 60 * 1000;
constexpr std::uint32_t kErrorInstallAlreadyRunning = 1618;

}  // namespace

platform::Mutex TakeRunLock()
{
    platform::Mutex lock = platform::CreateNamedMutex(kGlobalName);
    // Refused there (the global namespace closed to this process, or the name
    // taken by an object not ours to open): at least this session's runs keep apart.
    if (!lock) {
        lock = platform::CreateNamedMutex(kSessionName);
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
        platform::SetLastError(kErrorInstallAlreadyRunning);
        return lock;
    case platform::MutexWait::Failed:
        break;
    }
    const std::uint32_t error = platform::GetLastError();
    lock.Reset();
    platform::SetLastError(error);
    return lock;
}
