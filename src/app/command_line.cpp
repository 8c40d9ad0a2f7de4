#include "app/command_line.h"

#include "common/text.h"
#include "platform/platform.h"

bool ParseArguments(const std::vector<std::u16string>& arguments, RunOptions& options)
{
    options = RunOptions{};
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::u16string& argument = arguments[i];
        if (EqualsAsciiIgnoringCase(argument, u"/q")) {
            options.quiet = true;
        } else if (EqualsAsciiIgnoringCase(argument, u"/e")) {
            options.extract = true;
            options.install = false;
            // The next argument is the path, whatever it looks like.
            if (i + 1 < arguments.size()) {
                options.extractPath = arguments[++i];
            }
        } else if (EqualsAsciiIgnoringCase(argument, u"/p")) {
            options.exportPatchList = true;
            options.install = false;
            if (i + 1 < arguments.size()) {
                options.patchListPath = arguments[++i];
            }
        } else if (EqualsAsciiIgnoringCase(argument, u"/i")) {
            options.install = false;
            options.listProducts = true;
            break;  // nothing after /i is looked at
        }
    }
    return true;
}

bool ParseCommandLine()
{
    return ParseArguments(platform::CommandLineArguments(), ProcessRunOptions());
}
