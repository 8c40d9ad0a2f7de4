#include "app/command_line.h"

#include <algorithm>
#include <cstddef>

#include "common/text.h"
#include "platform/environment.h"

namespace {

constexpr char16_t kHelpSwitch[] = u"/?";
constexpr char16_t kExitCodeSwitch[] = u"/exitcode";
constexpr char16_t kLogSwitch[] = u"/log";

constexpr char16_t kAskSwitch[] = u"/ask";
// A day: longer than any deployment tool waits for an installer.
constexpr unsigned kLongestAskMinutes = 1440;

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

// Taken out first, as /exitcode is: wherever it stands, with any mode. The argument
// after it is always its path, even one that looks like a switch; a later /log wins.
void TakeOutLog(std::vector<std::u16string>& arguments, RunOptions& options)
{
    std::vector<std::u16string> kept;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (i == 0 || !EqualsAsciiIgnoringCase(arguments[i], kLogSwitch)) {
            kept.push_back(std::move(arguments[i]));
            continue;
        }
        options.log = true;
        options.logPath = i + 1 < arguments.size() ? std::move(arguments[++i]) : u"";
    }
    arguments = std::move(kept);
}

// Decimal digits only, at most kLongestAskMinutes.
bool ParseMinutes(const std::u16string& text, unsigned& minutes)
{
    if (text.empty()) {
        return false;
    }
    unsigned value = 0;
    for (const char16_t c : text) {
        if (c < u'0' || c > u'9') {
            return false;
        }
        value = value * 10 + static_cast<unsigned>(c - u'0');
        if (value > kLongestAskMinutes) {
            return false;
        }
    }
    minutes = value;
    return true;
}

// Takes every /ask and the number after it out of the arguments, as /exitcode is
// taken out: a deployment tool adds it to any command line. One without a valid
// number marks the command line as bad rather than asking for some other time.
void TakeOutAsk(std::vector<std::u16string>& arguments, RunOptions& options)
{
    for (std::size_t i = 1; i < arguments.size();) {
        if (!EqualsAsciiIgnoringCase(arguments[i], kAskSwitch)) {
            ++i;
            continue;
        }
        const bool valued =
            i + 1 < arguments.size() && ParseMinutes(arguments[i + 1], options.askMinutes);
        options.badCommandLine = options.badCommandLine || !valued;
        const auto at = arguments.begin() + static_cast<std::ptrdiff_t>(i);
        arguments.erase(at, at + (valued ? 2 : 1));
    }
}

}  // namespace

// Done here rather than through shell32, whose loading alone costs the
// extract mode about 6 MiB of resident memory under Wine.
std::vector<std::u16string> SplitCommandLine(const std::u16string& commandLine)
{
    std::vector<std::u16string> arguments;
    std::size_t i = 0;
    const std::size_t n = commandLine.size();

    // The program path: up to the closing quote, or to the first blank.
    std::u16string program;
    if (i < n && commandLine[i] == u'"') {
        for (++i; i < n && commandLine[i] != u'"'; ++i) {
            program += commandLine[i];
        }
        if (i < n) {
            ++i;
        }
    } else {
        for (; i < n && !IsBlank(commandLine[i]); ++i) {
            program += commandLine[i];
        }
    }
    arguments.push_back(std::move(program));

    while (i < n && IsBlank(commandLine[i])) {
        ++i;
    }
    if (i >= n) {
        return arguments;
    }

    std::u16string current;
    int quotes = 0;  // 1 while inside quotes
    while (i < n) {
        const char16_t c = commandLine[i];
        if (IsBlank(c) && quotes == 0) {
            arguments.push_back(std::move(current));
            current.clear();
            while (i < n && IsBlank(commandLine[i])) {
                ++i;
            }
            if (i >= n) {
                return arguments;
            }
            continue;
        }
        if (c == u'\\') {
            std::size_t backslashes = 0;
            for (; i < n && commandLine[i] == u'\\'; ++i) {
                ++backslashes;
            }
            if (i < n && commandLine[i] == u'"') {
                // 2n backslashes and a quote: n backslashes, the quote still to come;
                // 2n+1: n backslashes and a literal quote.
                current.append(backslashes / 2, u'\\');
                if (backslashes % 2 == 1) {
                    current += u'"';
                    ++i;
                }
            } else {
                current.append(backslashes, u'\\');
            }
            continue;
        }
        if (c == u'"') {
            ++quotes;
            // Every third quote in a run is a literal one.
            for (++i; i < n && commandLine[i] == u'"'; ++i) {
                if (++quotes == 3) {
                    current += u'"';
                    quotes = 0;
                }
            }
            if (quotes == 2) {
                quotes = 0;
            }
            continue;
        }
        current += c;
        ++i;
    }
    arguments.push_back(std::move(current));
    return arguments;
}

bool ParseArguments(std::vector<std::u16string> arguments, RunOptions& options)
{
    options = RunOptions{};
    TakeOutLog(arguments, options);
    // Taken out before anything else is read: a deployment tool appends it to any
    // command line, so it counts after /i too and is never the path of /e or /p.
    const auto first = arguments.begin() + (arguments.empty() ? 0 : 1);  // after the program
    const auto kept = std::remove_if(first, arguments.end(), [](const std::u16string& argument) {
        return EqualsAsciiIgnoringCase(argument, kExitCodeSwitch);
    });
    options.exitCode = kept != arguments.end();
    arguments.erase(kept, arguments.end());
    TakeOutAsk(arguments, options);
    // Someone asking for help must not start an installation, wherever the
    // switch stands, even where /e or /p would take it for a path.
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == kHelpSwitch) {
            options.install = false;
            options.help = true;
            return true;
        }
    }
    if (options.badCommandLine) {
        options.install = false;  // shown message 309, nothing else is done
        return true;
    }
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::u16string& argument = arguments[i];
        if (EqualsAsciiIgnoringCase(argument, u"/q")) {
            options.quiet = true;
        } else if (EqualsAsciiIgnoringCase(argument, u"/check")) {
            options.check = true;
        } else if (EqualsAsciiIgnoringCase(argument, u"/uninstall")) {
            options.uninstall = true;
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
    // A question and a removal at once: neither can be what was meant.
    if (options.check && options.uninstall) {
        options.badCommandLine = true;
        options.install = false;
    }
    return true;
}

bool ParseCommandLine()
{
    return ParseArguments(SplitCommandLine(platform::CommandLine()), ProcessRunOptions());
}
