#pragma once

// One run at a time: the named mutex (win32_run_lock.cpp; tests link a double).

#include <cstdint>
#include <string>

#include "common/unique_handle.h"

namespace platform {

// A named mutex; closing it releases it first when this process owns it.
struct MutexTraits {
    using Handle = std::intptr_t;
    static Handle Invalid() { return 0; }
    static void Close(Handle handle);
};
using Mutex = UniqueHandle<MutexTraits>;

// Creates the mutex or opens the existing one; an invalid Mutex on failure, with
// the reason in the last-error value.
Mutex CreateNamedMutex(const std::u16string& name);

enum class MutexWait {
    Acquired,
    Abandoned,  // acquired: the previous owner ended without releasing it
    TimedOut,
    Failed,
};
MutexWait WaitForMutex(const Mutex& mutex, std::uint32_t milliseconds);

}  // namespace platform
