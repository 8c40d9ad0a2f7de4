#include "ui/running_apps.h"

#include <gtest/gtest.h>

#include "common/run_state.h"
#include "doubles/fake_platform.h"
#include "doubles/process_reset.h"
#include "platform/processes.h"
#include "record/record.h"
#include "ui/message_ids.h"
#include "unit/record/record_lines.h"
#include "unit/ui/string_tables.h"

namespace {

const std::u16string kPlotrixText =
    u"The installer has detected that the following programs\nare running.\n\nPlotrix\n\n"
    u"In order to complete installation, these programs must\nbe closed.\n";
const std::u16string kModelaraText =
    u"The installer has detected that the following programs\nare running.\n\nModelara\n\n"
    u"In order to complete installation, these programs must\nbe closed.\n";

class RunningApps : public ::testing::Test {
protected:
    void SetUp() override
    {
        fake::ResetProcess();
        LoadShippedTable("en-US.rc");
    }

    static void Run(std::vector<std::u16string> names)
    {
        std::vector<platform::ProcessEntry> entries;
        std::uint32_t pid = 100;
        for (auto& name : names) {
            entries.push_back({pid++, std::move(name)});
        }
        fake::Platform().processes.running = entries;
    }

    static void Answer(std::initializer_list<int> answers)
    {
        fake::Platform().boxes.answers = answers;
    }

    static const std::vector<fake::Box>& Boxes() { return fake::Platform().boxes.shown; }

    // Ends every process once the check has taken more snapshots than it should
    // need, so a check that loops for ever fails instead of hanging.
    static void StopLoopingAfter(int snapshots)
    {
        fake::Platform().processes.beforeSnapshot = [snapshots](int number) {
            if (number > snapshots) {
                fake::Platform().processes.running->clear();
            }
        };
    }
};

TEST_F(RunningApps, NothingRunningShowsNoBox)
{
    Run({u"explorer.exe", u"svchost.exe"});
    EXPECT_TRUE(CheckRunningApplications());
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(RunningApps, RetryAfterClosingGoesOn)
{
    Run({u"plrx.exe"});
    fake::Platform().processes.beforeSnapshot = [](int number) {
        if (number == 2) {
            fake::Platform().processes.running->clear();  // the user closed it
        }
    };
    Answer({kAnswerRetry});
    EXPECT_TRUE(CheckRunningApplications());
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, kPlotrixText);
    EXPECT_EQ(Boxes()[0].title, u"Installation Error");
    EXPECT_EQ(Boxes()[0].flags, 0x50015u);
    EXPECT_EQ(fake::Platform().processes.snapshots, 3);  // plrx twice, modelara once
}

TEST_F(RunningApps, RetryWithoutClosingAsksAgain)
{
    Run({u"plrx.exe"});
    Answer({kAnswerRetry, kAnswerRetry, kAnswerCancel});
    EXPECT_FALSE(CheckRunningApplications());
    ASSERT_EQ(Boxes().size(), 3u);
    for (const auto& box : Boxes()) {
        EXPECT_EQ(box.text, kPlotrixText);
    }
}

TEST_F(RunningApps, CancelStillChecksTheNextApplication)
{
    Run({u"modelara.exe", u"plrx.exe"});
    Answer({kAnswerCancel, kAnswerRetry, kAnswerCancel});
    EXPECT_FALSE(CheckRunningApplications());
    ASSERT_EQ(Boxes().size(), 3u);
    EXPECT_EQ(Boxes()[0].text, kPlotrixText);
    EXPECT_EQ(Boxes()[1].text, kModelaraText);
    EXPECT_EQ(Boxes()[2].text, kModelaraText);
}

TEST_F(RunningApps, AnyAnswerButRetryCountsAsCancel)
{
    for (const int answer : {0, -1, 1, 3}) {
        SCOPED_TRACE(answer);
        fake::ResetPlatform();
        LoadShippedTable("en-US.rc");
        Run({u"plrx.exe"});
        StopLoopingAfter(5);
        Answer({answer});
        EXPECT_FALSE(CheckRunningApplications());
        EXPECT_EQ(Boxes().size(), 1u);
    }
}

TEST_F(RunningApps, FailedSnapshotCountsAsRunning)
{
    fake::Platform().processes.running = std::nullopt;
    EXPECT_TRUE(IsProcessRunning(u"plrx.exe"));
    Answer({kAnswerCancel, kAnswerCancel});
    EXPECT_FALSE(CheckRunningApplications());
    ASSERT_EQ(Boxes().size(), 2u);
    EXPECT_EQ(Boxes()[1].text, kModelaraText);
}

TEST_F(RunningApps, LanguageWithoutTheTextsStillAsks)
{
    fake::AddStringTable(1028, {{msg::kFilesInUse, u"x"}});
    fake::Platform().thread.locale = 1028;
    Run({u"plrx.exe"});
    Answer({kAnswerCancel});
    EXPECT_FALSE(CheckRunningApplications());
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, u"");
    EXPECT_EQ(Boxes()[0].title, u"");
}

TEST_F(RunningApps, MatchesWholeNamesWithoutRegardToCase)
{
    Run({u"PLRX.EXE"});
    EXPECT_TRUE(IsProcessRunning(u"plrx.exe"));
    Run({u"plrx.exe.old", u"xplrx.exe", u"plrx", u"C:\\Apps\\plrx.exe"});
    EXPECT_FALSE(IsProcessRunning(u"plrx.exe"));
    fake::Platform().processes.running = std::vector<platform::ProcessEntry>{{0, u"plrx.exe"}};
    EXPECT_FALSE(IsProcessRunning(u"plrx.exe"));
}

TEST_F(RunningApps, BoxesAppearInQuietModeAndKeepTheStartingLanguage)
{
    LoadShippedTable("de-DE.rc");
    ProcessRunOptions().quiet = true;
    Run({u"modelara.exe"});
    // A locale change while the check runs does not reach its texts.
    fake::Platform().processes.beforeSnapshot = [](int) { fake::Platform().thread.locale = 1031; };
    Answer({kAnswerCancel});
    EXPECT_FALSE(CheckRunningApplications());
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, kModelaraText);
    EXPECT_EQ(Boxes()[0].title, u"Installation Error");
}

TEST_F(RunningApps, RecordSaysWhoWasAskedAndWhatTheyAnswered)
{
    const std::u16string record = u"C:\\Work\\run.log";
    const std::string plotrix = "running application plrx.exe: ";
    struct Case {
        bool visible;
        std::initializer_list<int> answers;
        std::vector<std::string> events;
    };
    const Case cases[] = {
        {true, {kAnswerRetry, kAnswerCancel},
         {plotrix + "the user was asked to close it and chose Retry",
          plotrix + "the user was asked to close it and chose Cancel",
          "running applications: one was left open, nothing is installed"}},
        {false, {}, {plotrix + "no one could be asked (no one sees this desktop, and no single "
                               "signed-in session could be reached, or no time of /ask was left): "
                               "the run ends as if cancelled"}},
    };
    for (const Case& c : cases) {
        SetUp();
        record::Open(record);
        fake::Platform().boxes.desktopVisible = c.visible;
        Run({u"plrx.exe"});
        Answer(c.answers);
        EXPECT_FALSE(CheckRunningApplications());
        EXPECT_EQ(RecordEvents(record), c.events);
    }
}

// Unseen (as under a service), the person at the machine is asked in their
// session, all boxes together within the /ask minutes.
TEST_F(RunningApps, UnseenAsksThePersonAtTheMachineWithinTheTimeLeft)
{
    using Answers = std::vector<fake::SessionAnswer>;
    const std::vector<std::u16string> both = {u"plrx.exe", u"modelara.exe"};
    struct Case {
        const char* name;
        Answers answers;  // none left: the box times out
        std::vector<std::uint32_t> timeouts;  // of the boxes asked, in seconds
        unsigned minutes = 15;
        std::uint64_t lookMilliseconds = 0;  // the time each look at the processes takes
        bool someone = true;
    };
    const Case cases[] = {
        {"no answer in time, nothing more asked", {}, {900}},
        {"box not shown", Answers{{0, 0}}, {900}},
        {"each box gets what is left", Answers{{kAnswerRetry, 60}, {kAnswerRetry, 100}},
         {900, 840, 740}},
        {"the last second", Answers{{kAnswerRetry, 899}}, {900, 1}},
        {"looking counts too; under a second left asks no more", Answers{{kAnswerRetry, 899}},
         {900}, 15, 600},
        {"cancel goes on with the next application", Answers{{kAnswerCancel, 10}}, {900, 890}},
        {"/ask 5", {}, {300}, 5},
        {"/ask 0 never asks", {}, {}, 0},
        {"no one to ask", {}, {}, 15, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        fake::PlatformState& os = fake::Platform();
        os.boxes.desktopVisible = false;
        os.sessions.someoneToAsk = c.someone;
        os.sessions.answers = {c.answers.begin(), c.answers.end()};
        ProcessRunOptions().askMinutes = c.minutes;
        Run(both);
        os.processes.beforeSnapshot = [&c](int) {
            fake::Platform().clock.tickCount += c.lookMilliseconds;
        };
        EXPECT_FALSE(CheckRunningApplications());
        EXPECT_TRUE(Boxes().empty());  // never a box on the unseen desktop
        std::vector<std::uint32_t> timeouts;
        for (const fake::SessionBox& asked : os.sessions.boxes) {
            timeouts.push_back(asked.timeoutSeconds);
            EXPECT_EQ(asked.box.flags, kRetryCancelBoxFlags);
        }
        EXPECT_EQ(timeouts, c.timeouts);
        if (!os.sessions.boxes.empty()) {
            EXPECT_EQ(os.sessions.boxes[0].box.text, kPlotrixText);
            EXPECT_EQ(os.sessions.boxes[0].box.title, u"Installation Error");
        }
    }
}

}  // namespace
