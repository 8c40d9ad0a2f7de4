// The Windows edge: the named mutex that keeps to one run at a time.
#include "platform/win32_edge.h"

#include <sddl.h>

#include "platform/run_lock.h"
#include "platform/thread_state.h"

namespace platform {
namespace {

// Any run may wait for the mutex and release it, elevated, LocalSystem or not: by
// the creator's default only its own kind could open it, and the others would
// fall back to their session's and run alongside.
constexpr wchar_t kMutexSecurity[] = L"D:(A;;GA;;;SY)(A;;GA;;;BA)(A;;0x00100001;;;AU)";
constexpr DWORD kMutexAccess = SYNCHRONIZE | MUTEX_MODIFY_STATE;

struct LocalTraits {
    using Handle = void*;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle memory) { ::LocalFree(memory); }
};

// Null where it cannot be made; the mutex then has the default security.
UniqueHandle<LocalTraits> MutexSecurity()
{
    auto* const convert =
        Advapi32Entry<decltype(::ConvertStringSecurityDescriptorToSecurityDescriptorW)>(
            "ConvertStringSecurityDescriptorToSecurityDescriptorW");
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (convert == nullptr || !convert(kMutexSecurity, SDDL_REVISION_1, &descriptor, nullptr)) {
        return {};
    }
    return UniqueHandle<LocalTraits>(descriptor);
}

}  // namespace

void MutexTraits::Close(Handle handle)
{
    const LastErrorKeeper keeper;
    // Fails harmlessly (ERROR_NOT_OWNER) when the wait for it ran out.
    ::ReleaseMutex(ToHandle(handle));
    ::CloseHandle(ToHandle(handle));
}

Mutex CreateNamedMutex(const std::u16string& name)
{
    const UniqueHandle<LocalTraits> descriptor = MutexSecurity();
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor.Get(), FALSE};
    return Mutex(reinterpret_cast<std::intptr_t>(::CreateMutexExW(
        descriptor ? &attributes : nullptr, Wide(name), 0, kMutexAccess)));
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
