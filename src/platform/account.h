#pragma once

// The account the process runs as (win32_account.cpp; tests link a double).

#include <string>

namespace platform {

// Whether the process runs as LocalSystem, whose TMP an ordinary user may have set.
bool IsLocalSystem();

// The account the process runs as: DOMAIN\name and the SID as text; false when
// the token cannot be read (name may stay empty where only the SID is known).
bool Account(std::u16string& name, std::u16string& sid);

}  // namespace platform
