#pragma once

#include <string>

// Reads text `id` of the current thread language's table into text, at most
// capacity - 1 units; returns the units taken (0 and empty when there is none).
int LoadMessageString(unsigned id, std::u16string& text, int capacity);
