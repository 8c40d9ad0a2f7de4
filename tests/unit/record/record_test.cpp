#include "record/record.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "doubles/fake_platform.h"
#include "doubles/process_reset.h"
#include "record/events.h"
#include "unit/record/record_lines.h"

namespace {

const std::u16string kRecord = u"C:\\Work\\run.log";

class Record : public ::testing::Test {
protected:
    void SetUp() override { fake::ResetProcess(); }

    std::size_t Size() const { return os.files.contents.at(kRecord).size(); }

    fake::PlatformState& os = fake::Platform();
};

TEST_F(Record, NewFileStartsWithTheMarkAndEachRunAppends)
{
    for (int run = 1; run <= 2; ++run) {
        record::Open(kRecord);
        record::Write(u"run " + std::u16string(1, static_cast<char16_t>(u'0' + run)));
        record::Close(u"end");
    }
    // One mark only: RecordEvents reads the second as part of a line.
    EXPECT_EQ(RecordEvents(kRecord), (std::vector<std::string>{"run 1", "end", "run 2", "end"}));
}

TEST_F(Record, PathThatIsNoFileOfItsOwnIsRefusedAndCostsTheRunNothing)
{
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"link", [&] { os.files.links[kRecord] = u"C:\\Temp\\target.log"; }},
        {"directory", [&] { os.files.directories.insert(kRecord); }},
        {"hard link",
         [&] {
             os.files.contents[kRecord] = {'x'};
             os.files.multiplyLinked.insert(kRecord);
         }},
        {"no folder", [&] { os.files.directories.erase(u"C:\\Work"); }},
    };
    for (const auto& [name, plant] : cases) {
        SCOPED_TRACE(name);
        SetUp();
        plant();
        const auto before = os.files.contents;
        record::Open(kRecord);
        os.thread.lastError = 1234;
        record::Write(u"event");
        record::StepFailed(record::Step::ReadPatch, 1620);
        record::Close(u"end");
        EXPECT_FALSE(record::IsOpen());
        EXPECT_EQ(os.files.contents, before);
        EXPECT_EQ(os.thread.lastError, 1234u);
    }
}

TEST_F(Record, EventsKeepTheCallersLastErrorAndAskNothingWithoutARecord)
{
    os.thread.lastError = 1234;
    record::RunStarted();
    record::StepFailed(record::Step::WritePatch, 112);
    record::RunEnded(112, 112);
    EXPECT_EQ(os.record.queries, 0);
    EXPECT_TRUE(os.files.contents.empty());

    record::Open(kRecord);
    os.thread.lastError = 1234;
    record::RunStarted();
    record::StepFailed(record::Step::WritePatch, 112);
    EXPECT_EQ(os.thread.lastError, 1234u);
    EXPECT_EQ(RecordEvent(kRecord, "failed:"),
              "failed: writing and checking the temporary copy of the patch: error 112 "
              "(text of 112)");
}

TEST_F(Record, RunAddsAtMost64KiBAndStillCloses)
{
    record::Open(kRecord);
    for (int i = 0; i < 1000; ++i) {
        record::Write(std::u16string(200, u'x'));
    }
    record::Close(u"end");
    EXPECT_LE(Size(), record::kMostBytesPerRun);
    EXPECT_GT(Size(), record::kMostBytesPerRun - 2048);
    const auto events = RecordEvents(kRecord);
    ASSERT_GE(events.size(), 2u);
    EXPECT_EQ(events[events.size() - 2],
              "the record of this run stops here: a run adds at most 65536 bytes");
    EXPECT_EQ(events.back(), "end");
}

TEST_F(Record, LinesThatCouldNotBeWrittenAreSaidOnceAtTheEnd)
{
    record::Open(kRecord);
    record::Write(u"first");
    os.files.failWrites = true;
    record::Write(u"lost");
    record::Write(u"lost too");
    os.files.failWrites = false;
    record::Write(u"last");
    record::Close(u"end");
    EXPECT_EQ(RecordEvents(kRecord),
              (std::vector<std::string>{"first", "last",
                                        "end; this record misses 2 line(s) that could not be "
                                        "written: error 6 (text of 6)"}));
}

}  // namespace
