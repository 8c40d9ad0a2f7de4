#pragma once

// What the process is started with: its environment, temporary folder and command
// line (win32_environment.cpp; tests link a double). Texts are UTF-16.

#include <cstdint>
#include <string>

namespace platform {

bool GetEnvironmentVariable(const std::u16string& name, std::u16string& value);

// As GetTempPath2W where the system has it (for LocalSystem a folder only it can
// write), else GetTempPathW: the whole path, with its closing backslash. False when
// there is none or it is longer than the system takes (errors::kFilenameTooLong).
bool GetTempPath(std::u16string& path);

// The process command line as the process received it (GetCommandLineW).
std::u16string CommandLine();

}  // namespace platform
