#pragma once

// Message boxes on this process's desktop (win32_boxes.cpp; tests link a double).

#include <cstdint>
#include <string>

namespace platform {

// Whether anyone can see and answer a box: false on a window station that is not
// visible, or in session 0, as under a service, where a box would wait for ever.
bool IsDesktopVisible();

// MessageBoxW with no owner window; returns the button code, 0 on failure.
int MessageBox(const std::u16string& text, const std::u16string& title, std::uint32_t flags);

}  // namespace platform
