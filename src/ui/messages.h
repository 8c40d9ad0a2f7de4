#pragma once

#include <string>

// Reads text `id` of the current thread language's table into text, at most
// capacity - 1 units; returns the units taken (0 and empty when there is none).
int LoadMessageString(unsigned id, std::u16string& text, int capacity);

// Shows the box for messageId and returns the answer; 7 in quiet mode and
// when no one could see the box (then it goes, unwaited for, to the person at
// the machine who was asked to close an application, if any). A nonzero addedId
// appends that text after a blank line.
int ShowMessage(unsigned messageId, unsigned addedId = 0);
