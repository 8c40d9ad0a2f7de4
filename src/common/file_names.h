#pragma once

#include <string>

// Replaces each character a file name may not hold (\ / : * ? " < > | and
// control characters) with "_", so a text cannot lead a path elsewhere.
std::u16string ReplaceInvalidFileNameCharacters(const std::u16string& name);
