// The double of boxes in the session of the person at the machine.
#include "doubles/fake_platform.h"

#include <algorithm>

#include "platform/sessions.h"

namespace platform {
namespace {

// This area's part of the double's state.
fake::SessionsState& State() { return fake::Platform().sessions; }

}  // namespace

int AskSessionUser(const std::u16string& text, const std::u16string& title, std::uint32_t flags,
                   std::uint32_t timeoutSeconds)
{
    if (!State().someoneToAsk) {
        return 0;
    }
    State().boxes.push_back(
        {{text, title, flags, fake::Platform().thread.locale}, timeoutSeconds, true});
    fake::SessionAnswer answer{kAnswerTimedOut, timeoutSeconds};
    if (!State().answers.empty()) {
        answer = State().answers.front();
        State().answers.pop_front();
    }
    State().asked = State().asked || answer.button != 0;
    const std::uint32_t seconds = std::min(answer.seconds, timeoutSeconds);
    fake::Platform().clock.tickCount += std::uint64_t{seconds} * 1000;
    return answer.button != 0 && seconds == timeoutSeconds ? kAnswerTimedOut : answer.button;
}

bool TellSessionUser(const std::u16string& text, const std::u16string& title, std::uint32_t flags)
{
    if (State().asked) {
        State().boxes.push_back({{text, title, flags, fake::Platform().thread.locale}, 0, false});
    }
    return State().asked;
}

}  // namespace platform
