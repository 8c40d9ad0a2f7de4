// The message-box double: boxes are recorded and answered from a script.
#include "doubles/fake_platform.h"

#include "platform/boxes.h"

namespace platform {
namespace {

// This area's part of the double's state.
fake::BoxState& State() { return fake::Platform().boxes; }

}  // namespace

bool IsDesktopVisible() { return State().desktopVisible; }

int MessageBox(const std::u16string& text, const std::u16string& title, std::uint32_t flags)
{
    State().shown.push_back(fake::Box{text, title, flags, fake::Platform().thread.locale});
    if (State().onBox) {
        State().onBox(State().shown.back());
    }
    if (State().answers.empty()) {
        return 1;
    }
    const int answer = State().answers.front();
    State().answers.pop_front();
    return answer;
}

}  // namespace platform
