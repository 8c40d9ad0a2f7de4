#pragma once

// Which session the Windows edge asks when no one sees this process's desktop.
// Kept apart from the Win32 calls so that the rule can be tested on its own.

#include <cstdint>
#include <optional>
#include <vector>

namespace platform {

// What WTSGetActiveConsoleSessionId answers while no session is attached.
inline constexpr std::uint32_t kNoConsoleSession = 0xFFFFFFFF;
// The services' session, which has no desktop anyone sees.
inline constexpr std::uint32_t kServicesSessionId = 0;

struct SessionState {
    std::uint32_t id = 0;
    bool signedIn = false;  // WTSActive: someone is signed in and connected
};

// The console session when someone is signed in there; else the one session
// someone is signed in to; else none (nobody, or several to choose among).
inline std::optional<std::uint32_t> ChooseSessionToAsk(std::uint32_t console,
                                                       const std::vector<SessionState>& sessions)
{
    std::optional<std::uint32_t> only;
    int signedIn = 0;
    for (const SessionState& session : sessions) {
        if (!session.signedIn || session.id == kServicesSessionId) {
            continue;
        }
        if (session.id == console && console != kNoConsoleSession) {
            return console;
        }
        only = session.id;
        ++signedIn;
    }
    return signedIn == 1 ? only : std::nullopt;
}

}  // namespace platform
