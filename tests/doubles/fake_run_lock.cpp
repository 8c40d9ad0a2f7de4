// The named-mutex double.
#include "doubles/fake_platform.h"

#include "common/error_codes.h"
#include "platform/run_lock.h"
#include "platform/thread_state.h"

namespace platform {
namespace {

// This area's part of the double's state.
fake::MutexState& State() { return fake::Platform().mutexes; }

}  // namespace

void MutexTraits::Close(Handle handle)
{
    State().owned.erase(State().names[handle]);
    State().names.erase(handle);
}

Mutex CreateNamedMutex(const std::u16string& name)
{
    if (State().refused.count(name) != 0) {
        SetLastError(errors::kAccessDenied);
        return Mutex();
    }
    const std::intptr_t handle = fake::NewHandle();
    State().names[handle] = name;
    return Mutex(handle);
}

MutexWait WaitForMutex(const Mutex& mutex, std::uint32_t milliseconds)
{
    const std::u16string& name = State().names.at(mutex.Get());
    State().waits.emplace_back(name, milliseconds);
    if (State().heldElsewhere.count(name) != 0) {
        return MutexWait::TimedOut;
    }
    State().owned.insert(name);
    return State().abandoned.erase(name) != 0 ? MutexWait::Abandoned : MutexWait::Acquired;
}

}  // namespace platform
