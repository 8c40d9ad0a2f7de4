#pragma once

#include <string>
#include <vector>

#include "common/run_state.h"

// Splits a command line as the platform's CommandLineToArgvW does: the
// program path first, then the arguments with their quotes and backslashes resolved.
std::vector<std::u16string> SplitCommandLine(const std::u16string& commandLine);

// Fills `options` from the arguments (the program path first). Never fails.
bool ParseArguments(std::vector<std::u16string> arguments, RunOptions& options);

// Fills the process-wide RunOptions from the process command line.
bool ParseCommandLine();
