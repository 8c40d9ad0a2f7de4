#pragma once

#include <string>

// Inside the time deployment tools give an installer.
inline constexpr unsigned kDefaultAskMinutes = 15;

// What the command line asked for; filled once by ParseCommandLine.
struct RunOptions {
    bool quiet = false;
    bool install = true;
    bool extract = false;
    std::u16string extractPath;
    bool exportPatchList = false;
    std::u16string patchListPath;
    bool listProducts = false;
    // In place of the installation: what it would do, changing nothing (/check),
    // or the patch taken off every product that has it (/uninstall).
    bool check = false;
    bool uninstall = false;
    bool help = false;
    bool exitCode = false;  // return the outcome as the exit code, not always 0
    bool log = false;       // append a record of the run to logPath
    std::u16string logPath;  // empty: servicepack.log in the temporary folder
    // Where no one sees the desktop: how long all asking of the person at the
    // machine to close the watched applications may take together (/ask).
    unsigned askMinutes = kDefaultAskMinutes;
    bool badCommandLine = false;  // a switch without the value it needs
};

// Process-wide state of the run, kept down here so that every folder that
// reads it (messages need both) includes downwards.
RunOptions& ProcessRunOptions();
// The name of the product being handled, for the messages' inserts.
std::u16string& CurrentProductName();
