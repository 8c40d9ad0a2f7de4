#include "doubles/fake_platform.h"

namespace fake {
namespace {

PlatformState g_state;
// Never reset, so that a handle kept across tests is never taken for a new one.
std::intptr_t g_nextHandle = 100;

}  // namespace

PlatformState& Platform() { return g_state; }

void ResetPlatform() { g_state = PlatformState{}; }

std::intptr_t NewHandle() { return g_nextHandle++; }

std::vector<std::uint8_t> Bytes(const std::string& text)
{
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

}  // namespace fake
