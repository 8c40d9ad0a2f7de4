#pragma once

#include <string>
#include <vector>

#include "app/run_options.h"

// Fills `options` from the arguments (the program path first). Never fails.
bool ParseArguments(const std::vector<std::u16string>& arguments, RunOptions& options);

// Fills the process-wide RunOptions from the process command line.
bool ParseCommandLine();
