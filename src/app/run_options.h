#pragma once

#include <string>

// What the command line asked for; filled once by ParseCommandLine.
struct RunOptions {
    bool quiet = false;
    bool install = true;
    bool extract = false;
    std::u16string extractPath;
    bool exportPatchList = false;
    std::u16string patchListPath;
    bool listProducts = false;
};

// The process-wide instance.
RunOptions& ProcessRunOptions();
