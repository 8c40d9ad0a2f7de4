// The Windows edge: the named mutex that keeps to one run at a time.
#include "platform/win32_edge.h"

#include "platform/platform.h"

namespace platform {

void MutexTraits::Close(Handle handle)
{
    // Fails harmlessly (ERROR_NOT_OWNER) when the wait for it ran out.
    ::ReleaseMutex(ToHandle(handle));
    ::CloseHandle(ToHandle(handle));
}

Mutex CreateNamedMutex(const std::u16string& name)
{
    return Mutex(reinterpret_cast<std::intptr_t>(::CreateMutexW(nullptr, FALSE, Wide(name))));
}

MutexWait WaitForMutex(const Mutex& mutex, std::uint32_t milliseconds)
{
    switch (::WaitForSingleObject(ToHandle(mutex.Get()), milliseconds)) {
    case WAIT_OBJECT_0:
        return MutexWait::Acquired;
    case WAIT_ABANDONED:
        return MutexWait::Abandoned;
    case WAIT_TIMEOUT:
        return MutexWait::TimedOut;
    default:
        return MutexWait::Failed;
    }
}

}  // namespace platform
