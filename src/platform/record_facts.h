#pragma once

// What the run's record states beside its events: process, session, program,
// error texts (win32_record_facts.cpp; tests link a double).
// Asked only while a record is written (/log): a run without it never calls these.

#include <cstdint>
#include <string>

namespace platform {

std::uint32_t ProcessId();
// The session the process runs in; false when it cannot be told.
bool SessionId(std::uint32_t& session);
// The full path of the executable.
std::u16string ModulePath();
// The system's text for a Win32 or installer error, in English where the system
// has it, without the trailing line break; empty when it has none.
std::u16string ErrorText(std::uint32_t error);
// The locale name of a language ("de-DE"); empty when unknown.
std::u16string LanguageName(std::uint16_t language);

}  // namespace platform
