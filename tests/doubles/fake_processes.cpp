// The process-list double.
#include "doubles/fake_platform.h"

#include "common/text.h"
#include "platform/processes.h"

namespace platform {
namespace {

// This area's part of the double's state.
fake::ProcessState& State() { return fake::Platform().processes; }

}  // namespace

std::optional<std::vector<ProcessEntry>> SnapshotProcesses()
{
    ++State().snapshots;
    if (State().beforeSnapshot) {
        State().beforeSnapshot(State().snapshots);
    }
    return State().running;
}

int CompareTextIgnoringCase(const std::u16string& a, const std::u16string& b)
{
    return EqualsAsciiIgnoringCase(a, b) ? 0 : (a < b ? -1 : 1);
}

}  // namespace platform
