#pragma once

#include <string>

// Replaces each character a file name may not hold (\ / : * ? " < > | and
// control characters) with "_", so a text cannot lead a path elsewhere.
std::u16string ReplaceInvalidFileNameCharacters(const std::u16string& name);

// Puts "_" before a name that Windows would open as a device (CON, nul.txt,
// COM1.a.b, ...) instead of a file, so the name stays an ordinary file's.
std::u16string AvoidDeviceName(const std::u16string& name);

// The folder's name with a closing separator, added unless it has one.
std::u16string WithClosingSeparator(const std::u16string& folder);
