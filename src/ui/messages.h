#pragma once

#include <string>

// Shows the box for messageId and returns the answer; 7 in quiet mode and
// when no one could see the box (then it goes, unwaited for, to the person at
// the machine who was asked to close an application, if any). A nonzero addedId
// appends that text after a blank line.
int ShowMessage(unsigned messageId, unsigned addedId = 0);
