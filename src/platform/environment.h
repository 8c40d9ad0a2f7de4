#pragma once

// What the process is started with: its environment, temporary folder and command
// line (win32_environment.cpp; tests link a double). Texts are UTF-16.

#include <cstdint>
#include <string>

namespace platform {

bool GetEnvironmentVariable(const std::u16string& name, std::u16string& value);

// As GetTempPath2W where the system has it (for LocalSystem a folder only it can
// write), else GetTempPathW: the length written (without terminator), 0 on failure, or
// the size needed (with terminator) when bufferUnits is too small.
std::uint32_t GetTempPath(std::uint32_t bufferUnits, std::u16string& path);

// The process command line as the process received it (GetCommandLineW).
std::u16string CommandLine();

}  // namespace platform
