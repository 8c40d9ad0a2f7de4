// The account double.
#include "doubles/fake_platform.h"

#include "common/error_codes.h"
#include "platform/account.h"
#include "platform/thread_state.h"

namespace platform {
namespace {

// This area's part of the double's state.
fake::AccountState& State() { return fake::Platform().account; }

}  // namespace

bool IsLocalSystem() { return State().localSystem; }

bool Account(std::u16string& name, std::u16string& sid)
{
    ++fake::Platform().record.queries;
    if (!State().known) {
        SetLastError(errors::kAccessDenied);
        return false;
    }
    name = State().name;
    sid = State().sid;
    return true;
}

}  // namespace platform
