#include "payload/extract.h"

#include <gtest/gtest.h>

#include <map>

#include "common/text.h"
#include "doubles/fake_platform.h"
#include "files/temp_names.h"
#include "platform/files.h"

namespace {

const std::vector<std::uint8_t> kPayload = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1,
                                            1,    2,    3,    4,    5};

class ExtractTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fake::ResetPlatform();
        ResetTempNameCounter();
        fake::Platform().resources.entries.push_back({u"MSP", u"IDR_MSP", 1046, kPayload, false});
    }
    fake::PlatformState& os = fake::Platform();
};

TEST_F(ExtractTest, FirstTempNameIsMsp2InTmpWithOneSeparator)
{
    os.files.directories.insert(u"D:\\tmp");
    os.environment.variables[u"TMP"] = u"D:\\tmp";
    std::u16string path;
    ASSERT_TRUE(ExtractPatch(path));
    EXPECT_EQ(path, u"D:\\tmp\\MSP2");
    EXPECT_EQ(os.files.contents[path], kPayload);
    EXPECT_EQ(os.files.largestWrite, static_cast<int>(kPayload.size()));  // one write request
    EXPECT_EQ(os.files.openFiles, 0);

    os.environment.variables[u"TMP"] = u"D:\\tmp\\";
    std::u16string second;
    ASSERT_TRUE(ExtractPatch(second));
    EXPECT_EQ(second, u"D:\\tmp\\MSP3");  // the counter goes on across calls
}

TEST_F(ExtractTest, ExistingNamesAreSkipped)
{
    os.files.contents[u"C:\\Temp\\MSP2"] = {9};
    os.files.directories.insert(u"C:\\Temp\\MSP3");
    os.files.accessDenied.insert(u"C:\\Temp\\MSP4");
    // A dangling link looks missing to the check; creating through it would make its target.
    os.files.directories.insert(u"C:\\Windows");
    os.files.links[u"C:\\Temp\\MSP5"] = u"C:\\Windows\\evil.dll";
    std::u16string path;
    ASSERT_TRUE(ExtractPatch(path));
    EXPECT_EQ(path, u"C:\\Temp\\MSP6");
    EXPECT_EQ(os.files.contents[u"C:\\Temp\\MSP2"], std::vector<std::uint8_t>{9});
    EXPECT_EQ(os.files.contents.count(u"C:\\Windows\\evil.dll"), 0u);
}

TEST_F(ExtractTest, DirectoryFallsBackFromTmpToTempToRootToCurrent)
{
    os.environment.variables[u"TMP"] = u"Q:\\missing";
    std::u16string path;
    ASSERT_TRUE(ExtractPatch(path));
    EXPECT_EQ(path, u"C:\\Temp\\MSP2");

    // LocalSystem's TMP may be anyone's: its own temporary directory comes first.
    os.account.localSystem = true;
    os.files.directories.insert(u"D:\\user");
    os.environment.variables[u"TMP"] = u"D:\\user";
    path.clear();
    ASSERT_TRUE(ExtractPatch(path));
    EXPECT_EQ(path, u"C:\\Temp\\MSP3");

    os.environment.tempPath = u"Q:\\gone\\";
    path.clear();
    ASSERT_TRUE(ExtractPatch(path));
    EXPECT_EQ(path, u"\\MSP4");

    os.files.directories.erase(u"\\");
    path.clear();
    ASSERT_TRUE(ExtractPatch(path));
    EXPECT_EQ(path, u".\\MSP5");
}

TEST_F(ExtractTest, NameTakenBetweenCheckAndCreationIsNotOverwritten)
{
    // Someone plants MSP2 after the check: the file is left alone and MSP3 is used.
    bool planted = false;
    os.files.beforeCreate = [&](const std::u16string& path) {
        if (!planted && path == u"C:\\Temp\\MSP2") {
            os.files.contents[path] = {7, 7};
            planted = true;
        }
    };
    std::u16string path;
    ASSERT_TRUE(ExtractPatch(path));
    EXPECT_EQ(path, u"C:\\Temp\\MSP3");
    EXPECT_EQ(os.files.contents[u"C:\\Temp\\MSP2"], (std::vector<std::uint8_t>{7, 7}));
    EXPECT_EQ(os.files.contents[path], kPayload);
}

TEST_F(ExtractTest, TempDirectoryUnavailableOrTooLong)
{
    os.environment.tempPath.reset();
    std::u16string path;
    EXPECT_FALSE(ExtractPatch(path));
    EXPECT_TRUE(path.empty());

    os.environment.tempPath = std::u16string(platform::kLongestPathUnits, u'x');  // too long for the system
    EXPECT_FALSE(ExtractPatch(path));
    EXPECT_TRUE(path.empty());
    EXPECT_TRUE(os.files.contents.empty());
}

TEST_F(ExtractTest, MissingOrEmptyResourceCreatesNothing)
{
    os.resources.entries.clear();
    std::u16string path;
    EXPECT_FALSE(ExtractPatch(path));
    EXPECT_EQ(path, u"C:\\Temp\\MSP2");
    EXPECT_TRUE(os.files.contents.empty());

    os.resources.entries.push_back({u"MSP", u"IDR_MSP", 1046, {}, false});
    std::u16string given = u"C:\\Work\\out.msp";
    EXPECT_FALSE(ExtractPatch(given));
    EXPECT_TRUE(os.files.contents.empty());
}

TEST_F(ExtractTest, FileThatCannotBeOpenedFails)
{
    std::u16string path = u"C:\\Nowhere\\out.msp";
    EXPECT_FALSE(ExtractPatch(path));
    EXPECT_EQ(path, u"C:\\Nowhere\\out.msp");
    EXPECT_TRUE(os.files.contents.empty());

    // Only a name someone else took is worth another try.
    SetUp();
    os.files.beforeCreate = [&](const std::u16string& name) { os.files.accessDenied.insert(name); };
    path.clear();
    EXPECT_FALSE(ExtractPatch(path));
    EXPECT_EQ(path, u"C:\\Temp\\MSP2");
    EXPECT_TRUE(os.files.contents.empty());
}

TEST_F(ExtractTest, FailureLeavesNothingHalfWrittenAndOtherFilesAlone)
{
    const std::map<std::u16string, std::vector<std::uint8_t>> before = {
        {u"C:\\Work\\out.msp", std::vector<std::uint8_t>(100, 0x55)}};
    os.files.contents = before;
    os.files.writeLimit = 4;  // disk full
    std::u16string path;
    EXPECT_FALSE(ExtractPatch(path));
    EXPECT_EQ(os.thread.lastError, 112u);
    EXPECT_TRUE(os.files.contents == before);
    EXPECT_EQ(os.files.openFiles, 0);
}

TEST_F(ExtractTest, DirectoryWhoseEntriesCannotBeCheckedIsGivenUp)
{
    for (int n = 2; n < 300; ++n) {
        os.files.accessDenied.insert(u"C:\\Temp\\MSP" + ToDecimal(n));
    }
    std::u16string path;
    EXPECT_FALSE(ExtractPatch(path));
    EXPECT_TRUE(path.empty());

    os.files.accessDenied.clear();
    ASSERT_TRUE(ExtractPatch(path));
    EXPECT_EQ(path, u"C:\\Temp\\MSP102");  // 100 names were checked, no more
}

}  // namespace

namespace {

// A copy for the program itself is marked temporary; one a killed run left (marked,
// the payload, a file of its own that no one has open) is cleared on the way to a
// name, and nothing else is.
TEST_F(ExtractTest, OwnCopyIsMarkedTemporaryAndOnlyAKilledRunsCopyIsCleared)
{
    const std::u16string msp2 = u"C:\\Temp\\MSP2";
    struct Case {
        const char* what;
        bool marked;
        std::vector<std::uint8_t> bytes;
        bool cleared;
    };
    const Case cases[] = {
        {"leftover", true, kPayload, true},
        {"unmarked", false, kPayload, false},
        {"other bytes", true, {0xD0, 0xCF}, false},
        {"held open", true, kPayload, false},
        {"second name", true, kPayload, false},
        {"link", true, kPayload, false},
    };
    for (const Case& c : cases) {
        SetUp();
        const std::string what = c.what;
        const std::u16string stored = what == "link" ? u"C:\\Work\\x" : msp2;
        os.files.contents[stored] = c.bytes;
        if (what == "link") {
            os.files.links[msp2] = stored;
        }
        if (c.marked) {
            os.files.temporary.insert(stored);
        }
        if (what == "second name") {
            os.files.multiplyLinked.insert(stored);
        }
        const platform::File other =
            what == "held open" ? platform::OpenFile(msp2, platform::FileDisposition::ReadShareRead)
                                : platform::File();
        std::u16string path;
        ASSERT_TRUE(ExtractTemporaryCopy({u"C:\\Temp"}, path)) << what;
        EXPECT_EQ(path, c.cleared ? msp2 : u"C:\\Temp\\MSP3") << what;
        EXPECT_EQ(os.files.contents[path], kPayload);
        EXPECT_EQ(os.files.temporary.count(path), 1u);
        EXPECT_EQ(os.files.contents.count(stored), 1u);
        if (!c.cleared) {
            EXPECT_EQ(os.files.contents[stored], c.bytes) << what;
        }
    }

    // What /e writes is the user's: never marked, and a leftover is no business of it.
    SetUp();
    os.files.contents[msp2] = kPayload;
    os.files.temporary.insert(msp2);
    std::u16string path;
    ASSERT_TRUE(ExtractPatch(path));
    EXPECT_EQ(path, u"C:\\Temp\\MSP3");
    EXPECT_EQ(os.files.temporary, std::set<std::u16string>{msp2});
}

}  // namespace
