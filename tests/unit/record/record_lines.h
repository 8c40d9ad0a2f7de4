#pragma once

#include <string>
#include <vector>

// Test helper: the events of the record file at path in the platform double,
// without the byte-order mark and each line's time and process id (as the double
// gives them). A line not stamped so, or a file without the mark, fails the test.
std::vector<std::string> RecordEvents(const std::u16string& path);

// The event starting with start; fails the test unless exactly one does.
std::string RecordEvent(const std::u16string& path, const std::string& start);
