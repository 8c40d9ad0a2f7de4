#include "app/command_line.h"

#include <gtest/gtest.h>

#include <tuple>

#include "common/text.h"
#include "doubles/fake_platform.h"
#include "platform/environment.h"

namespace {

RunOptions Parse(std::vector<std::u16string> tail)
{
    tail.insert(tail.begin(), u"servicepack.exe");
    RunOptions options;
    options.quiet = true;  // must be reset by the parser
    options.extractPath = u"stale";
    EXPECT_TRUE(ParseArguments(tail, options));
    return options;
}

TEST(CommandLine, NoArgumentsMeansInstall)
{
    const RunOptions o = Parse({});
    EXPECT_TRUE(o.install);
    EXPECT_FALSE(o.quiet || o.extract || o.listProducts || o.exportPatchList);
    EXPECT_TRUE(o.extractPath.empty());
}

TEST(CommandLine, SwitchesAreCaseInsensitiveWholeWords)
{
    EXPECT_TRUE(Parse({u"/Q"}).quiet);
    EXPECT_TRUE(Parse({u"/Q"}).install);
    const RunOptions e = Parse({u"/E", u"C:\\out.msp"});
    EXPECT_TRUE(e.extract);
    EXPECT_FALSE(e.install);
    EXPECT_EQ(e.extractPath, u"C:\\out.msp");
    // A leading minus, a longer word or an unknown switch is not a switch.
    for (const char16_t* other : {u"-q", u"-e", u"/qq", u"/x", u"q", u"/"}) {
        const RunOptions o = Parse({other});
        EXPECT_TRUE(o.install) << ToUtf8(other);
        EXPECT_FALSE(o.quiet || o.extract || o.listProducts) << ToUtf8(other);
    }
}

TEST(CommandLine, CheckAndUninstallReplaceTheInstallationButNeverMeetEachOther)
{
    const std::tuple<std::vector<std::u16string>, bool, bool, bool> cases[] = {
        // arguments, check, uninstall, refused
        {{u"/CHECK", u"/q"}, true, false, false},
        {{u"/Uninstall"}, false, true, false},
        {{u"/check", u"/log", u"/uninstall"}, true, false, false},  // the record's path
        {{u"/uninstall", u"/q", u"/check"}, true, true, true},
    };
    for (const auto& [arguments, check, uninstall, refused] : cases) {
        const RunOptions o = Parse(arguments);
        EXPECT_EQ(o.check, check) << ToUtf8(arguments[0]);
        EXPECT_EQ(o.uninstall, uninstall);
        EXPECT_EQ(o.badCommandLine, refused);
        EXPECT_EQ(o.install, !refused);
    }
}

TEST(CommandLine, ExtractTakesTheNextArgumentWhateverItIs)
{
    const RunOptions o = Parse({u"/e", u"/q"});
    EXPECT_TRUE(o.extract);
    EXPECT_EQ(o.extractPath, u"/q");
    EXPECT_FALSE(o.quiet);

    const RunOptions last = Parse({u"/q", u"/e"});
    EXPECT_TRUE(last.extract);
    EXPECT_TRUE(last.quiet);
    EXPECT_TRUE(last.extractPath.empty());
}

TEST(CommandLine, LogIsTakenOutFirstWithTheArgumentAfterItAsItsPath)
{
    struct Case {
        std::vector<std::u16string> arguments;
        std::u16string logPath;
        bool quiet;
        std::u16string extractPath;
    };
    const Case cases[] = {
        {{u"/LOG", u"C:\\r.log", u"/q"}, u"C:\\r.log", true, u""},
        {{u"/q", u"/log"}, u"", true, u""},
        {{u"/log", u"/q"}, u"/q", false, u""},  // a path, though it looks like a switch
        {{u"/e", u"/log", u"r.log", u"out.msp"}, u"r.log", false, u"out.msp"},  // never /e's path
        {{u"/i", u"/log", u"r.log"}, u"r.log", false, u""},  // counts after /i too
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.arguments[0] + c.arguments[1]));
        const RunOptions o = Parse(c.arguments);
        EXPECT_TRUE(o.log);
        EXPECT_EQ(o.logPath, c.logPath);
        EXPECT_EQ(o.quiet, c.quiet);
        EXPECT_EQ(o.extractPath, c.extractPath);
    }
    EXPECT_FALSE(Parse({u"/q", u"/logs"}).log);
}

TEST(CommandLine, ListStopsTheWalk)
{
    const RunOptions after = Parse({u"/i", u"/q", u"/e", u"x"});
    EXPECT_TRUE(after.listProducts);
    EXPECT_FALSE(after.install);
    EXPECT_FALSE(after.quiet);
    EXPECT_FALSE(after.extract);

    const RunOptions before = Parse({u"/q", u"/I"});
    EXPECT_TRUE(before.listProducts);
    EXPECT_TRUE(before.quiet);

    const RunOptions both = Parse({u"/e", u"file.msp", u"/i"});
    EXPECT_TRUE(both.extract);
    EXPECT_EQ(both.extractPath, u"file.msp");
    EXPECT_TRUE(both.listProducts);
}

TEST(CommandLine, PatchListSwitchIsParsedLikeExtract)
{
    const RunOptions named = Parse({u"/P", u"out.txt"});
    EXPECT_TRUE(named.exportPatchList);
    EXPECT_FALSE(named.install);
    EXPECT_EQ(named.patchListPath, u"out.txt");

    const RunOptions alone = Parse({u"/p"});
    EXPECT_TRUE(alone.exportPatchList);
    EXPECT_TRUE(alone.patchListPath.empty());
}

TEST(CommandLine, HelpAnywhereOverridesEverythingElse)
{
    for (const auto& tail : {std::vector<std::u16string>{u"/?"},
                             std::vector<std::u16string>{u"/q", u"/e", u"/?"},
                             std::vector<std::u16string>{u"/i", u"/?"}}) {
        const RunOptions o = Parse(tail);
        EXPECT_TRUE(o.help);
        EXPECT_FALSE(o.install || o.quiet || o.extract || o.exportPatchList || o.listProducts);
    }
    EXPECT_FALSE(Parse({u"-?"}).help);
}

TEST(CommandLine, AskTakesItsMinutesAnywhereAndRefusesAnythingElse)
{
    const std::pair<std::vector<std::u16string>, unsigned> taken[] = {
        {{}, 15}, {{u"/ASK", u"30", u"/q"}, 30}, {{u"/q", u"/ask", u"0"}, 0},
        {{u"/ask", u"0015"}, 15}, {{u"/ask", u"1440"}, 1440}, {{u"/i", u"/ask", u"7"}, 7}};
    for (const auto& [arguments, minutes] : taken) {
        EXPECT_EQ(Parse(arguments).askMinutes, minutes);
        EXPECT_FALSE(Parse(arguments).badCommandLine);
    }
    EXPECT_EQ(Parse({u"/e", u"/ask", u"5", u"out.msp"}).extractPath, u"out.msp");
    // Without a whole number of minutes up to a day, nothing runs.
    for (const char16_t* after : {u"", u"/q", u"-1", u"1441", u"4294967296", u"1.5", u"x"}) {
        const RunOptions o = Parse({u"/q", u"/ask", after});
        EXPECT_TRUE(o.badCommandLine) << ToUtf8(after);
        EXPECT_FALSE(o.install || o.extract || o.listProducts || o.exportPatchList);
    }
    EXPECT_TRUE(Parse({u"/ask"}).badCommandLine);
    EXPECT_TRUE(Parse({u"/ask", u"/?"}).help);  // help still wins
}

TEST(CommandLine, ParseCommandLineFillsTheProcessOptions)
{
    fake::ResetPlatform();
    fake::Platform().environment.arguments = {u"sp.exe", u"/q", u"/e"};
    EXPECT_TRUE(ParseCommandLine());
    EXPECT_TRUE(ProcessRunOptions().quiet);
    EXPECT_TRUE(ProcessRunOptions().extract);
    ProcessRunOptions() = RunOptions{};
}

}  // namespace

namespace {

std::vector<std::u16string> Split(const char16_t* line) { return SplitCommandLine(line); }

TEST(SplitCommandLine, FollowsThePlatformRules)
{
    using V = std::vector<std::u16string>;
    EXPECT_EQ(Split(u"\"C:\\Program Files\\sp.exe\" /e \"C:\\My Dir\\out.msp\""),
              (V{u"C:\\Program Files\\sp.exe", u"/e", u"C:\\My Dir\\out.msp"}));
    // The program path keeps its backslashes; blanks and tabs separate arguments.
    EXPECT_EQ(Split(u"C:\\sp.exe \t /q   /i  "), (V{u"C:\\sp.exe", u"/q", u"/i"}));
    EXPECT_EQ(Split(u"sp.exe"), (V{u"sp.exe"}));
    EXPECT_EQ(Split(u""), (V{u""}));
    // Backslashes are literal unless they precede a quote.
    EXPECT_EQ(Split(u"sp a\\\\b \"c\\\\\" d\\\"e"), (V{u"sp", u"a\\\\b", u"c\\", u"d\"e"}));
    // An empty quoted argument counts; quotes may join text.
    EXPECT_EQ(Split(u"sp \"\" x\"y z\"w"), (V{u"sp", u"", u"xy zw"}));
    // Inside quotes, a run of three quotes gives one literal quote.
    EXPECT_EQ(Split(u"sp \"a\"\"\"b\""), (V{u"sp", u"a\"b"}));
}

TEST(SplitCommandLine, RoundTripsTheDoubleQuoting)
{
    fake::ResetPlatform();
    fake::Platform().environment.arguments =
        {u"C:\\sp.exe", u"/e", u"C:\\dir with space\\", u"a\"b", u""};
    EXPECT_EQ(SplitCommandLine(platform::CommandLine()), fake::Platform().environment.arguments);
}

}  // namespace
