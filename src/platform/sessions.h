#pragma once

// The person at the machine, where no one sees this desktop (win32_sessions.cpp;
// tests link a double).
// Started by a service, the process's own boxes reach no one. These show a box
// in the session of the person at the machine instead: the console session when
// someone is signed in there, else the one session someone is signed in to (a
// single remote one). Several such sessions (a shared server, where the program
// does not choose among users) or none: there is no one to ask.

#include <cstdint>
#include <string>

namespace platform {

// The answer of a box whose time ran out (IDTIMEOUT).
inline constexpr int kAnswerTimedOut = 32000;

// Shows the box to that person and waits at most timeoutSeconds (at least 1) for
// the answer: the button chosen, kAnswerTimedOut, or 0 when there is no one to
// ask or the box could not be shown. The session asked is kept for TellSessionUser.
int AskSessionUser(const std::u16string& text, const std::u16string& title,
                   std::uint32_t flags, std::uint32_t timeoutSeconds);

// Shows the box in the session last asked and returns at once, without waiting for
// it; false when no one was asked in this run or the box could not be shown.
bool TellSessionUser(const std::u16string& text, const std::u16string& title,
                     std::uint32_t flags);

}  // namespace platform
