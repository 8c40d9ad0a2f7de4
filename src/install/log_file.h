#pragma once

#include <string>

#include "platform/files.h"

// Makes a new, empty log file at logPath for the installer to write into. The
// handle keeps the entry from being removed or swapped until it is closed;
// invalid when no file could be made there, and then nothing should log to it.
platform::File CreateLogFile(const std::u16string& logPath);
