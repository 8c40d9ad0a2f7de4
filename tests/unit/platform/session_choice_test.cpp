#include "platform/session_choice.h"

#include <gtest/gtest.h>

namespace {

using platform::kNoConsoleSession;

TEST(SessionChoice, TheConsoleUserElseTheOneSignedInUserElseNoOne)
{
    struct Case {
        const char* name;
        std::uint32_t console;
        std::vector<platform::SessionState> sessions;  // id, someone signed in
        std::optional<std::uint32_t> chosen;
    } const cases[] = {
        {"console user", 1, {{0, false}, {1, true}}, 1},
        {"console user before a remote one", 2, {{1, true}, {2, true}}, 2},
        {"sign-in screen on the console, one remote user", 1, {{1, false}, {3, true}}, 3},
        {"no console session, one remote user", kNoConsoleSession, {{3, true}}, 3},
        {"two remote users: not ours to choose", 1, {{1, false}, {2, true}, {3, true}}, {}},
        {"nobody signed in", 1, {{0, false}, {1, false}}, {}},
        {"the services' session never", 0, {{0, true}}, {}},
        {"a disconnected user cannot answer", kNoConsoleSession, {{2, false}}, {}},
        {"no list", 1, {}, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(platform::ChooseSessionToAsk(c.console, c.sessions), c.chosen) << c.name;
    }
}

}  // namespace
