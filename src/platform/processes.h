#pragma once

// The processes running now (win32_processes.cpp; tests link a double).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

struct ProcessEntry {
    std::uint32_t processId = 0;
    std::u16string exeFile;
};

// nullopt when no snapshot can be taken; an empty list when its first entry
// cannot be read.
std::optional<std::vector<ProcessEntry>> SnapshotProcesses();

// As lstrcmpiW: 0 when equal without regard to case.
int CompareTextIgnoringCase(const std::u16string& a, const std::u16string& b);

}  // namespace platform
