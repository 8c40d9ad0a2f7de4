// The double of what the run's record states beside its events.
#include "doubles/fake_platform.h"

#include "common/error_codes.h"

#include "common/text.h"
#include "platform/record_facts.h"
#include "platform/thread_state.h"

namespace platform {
namespace {

// This area's part of the double's state.
fake::RecordFactsState& State() { return fake::Platform().record; }

}  // namespace

std::uint32_t ProcessId()
{
    ++State().queries;
    return State().processId;
}

bool SessionId(std::uint32_t& session)
{
    ++State().queries;
    session = State().sessionId.value_or(0);
    return State().sessionId.has_value();
}

std::u16string ModulePath()
{
    ++State().queries;
    return State().modulePath;
}

std::u16string ErrorText(std::uint32_t error)
{
    ++State().queries;
    SetLastError(errors::kSuccess);  // as FormatMessageW succeeding
    return u"text of " + ToDecimal(error);
}

std::u16string LanguageName(std::uint16_t language)
{
    ++State().queries;
    return language == 1033 ? u"en-US" : u"";
}

}  // namespace platform
