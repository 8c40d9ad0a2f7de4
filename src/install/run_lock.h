#pragma once

#include "platform/run_lock.h"

// One install run at a time on the machine, whatever service pack it carries:
// two runs would select, sequence and install over each other. Held until the
// Mutex goes out of scope; another run's hold is waited for up to a minute.
// An invalid Mutex on failure, with ERROR_INSTALL_ALREADY_RUNNING (1618) as
// the last error when another run kept it for the whole wait.
platform::Mutex TakeRunLock();
