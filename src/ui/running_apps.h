#pragma once

#include <string>

// Asks the user to close each watched application that runs. False when the
// user gave up on at least one of them.
bool CheckRunningApplications();

// True when a process of that executable name runs, or when the process list
// cannot be had.
bool IsProcessRunning(const std::u16string& exeName);
