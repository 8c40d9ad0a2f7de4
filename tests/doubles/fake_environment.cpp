// The environment double: variables, the temporary folder and the command line.
#include "doubles/fake_platform.h"
#include "doubles/fake_file_system.h"

#include "platform/environment.h"

namespace platform {
namespace {

// This area's part of the double's state.
fake::EnvironmentState& State() { return fake::Platform().environment; }

}  // namespace

bool GetEnvironmentVariable(const std::u16string& name, std::u16string& value)
{
    const auto it = State().variables.find(name);
    if (it == State().variables.end()) {
        return false;
    }
    value = it->second;
    return true;
}

bool GetTempPath(std::u16string& path)
{
    return State().tempPath && fake::TakesPath(*State().tempPath, path);
}

std::u16string CommandLine()
{
    std::u16string line;
    for (std::size_t k = 0; k < State().arguments.size(); ++k) {
        const std::u16string& argument = State().arguments[k];
        if (k == 0) {
            line += u"\"" + argument + u"\"";
            continue;
        }
        line += u" \"";
        std::size_t backslashes = 0;
        for (char16_t c : argument) {
            if (c == u'\\') {
                ++backslashes;
                continue;
            }
            line.append(c == u'"' ? backslashes * 2 + 1 : backslashes, u'\\');
            backslashes = 0;
            line += c;
        }
        line.append(backslashes * 2, u'\\');
        line += u'"';
    }
    return line;
}

}  // namespace platform
