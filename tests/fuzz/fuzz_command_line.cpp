// The command-line splitter and the switch parser on arbitrary command lines.
#include "app/command_line.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::u16string> arguments = SplitCommandLine(fuzz::Utf16(data, size));
    fuzz::Require(!arguments.empty());  // the program path is always there

    RunOptions options;
    fuzz::Require(ParseArguments(arguments, options));
    fuzz::Require(!(options.install && (options.extract || options.listProducts)));
    // A refused command line runs nothing; the asking time stays within a day.
    fuzz::Require(!(options.badCommandLine && options.install) && options.askMinutes <= 1440);
    return 0;
}
