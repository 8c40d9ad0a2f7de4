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
    bool help = false;
    bool exitCode = false;  // return the outcome as the exit code, not always 0
    bool log = false;       // append a record of the run to logPath
    std::u16string logPath;  // empty: servicepack.log in the temporary folder
};

// Process-wide state of the run, kept down here so that every folder that
// reads it (messages need both) includes downwards.
RunOptions& ProcessRunOptions();
// The name of the product being handled, for the messages' inserts.
std::u16string& CurrentProductName();
