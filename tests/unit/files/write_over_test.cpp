#include "files/write_over.h"

#include <gtest/gtest.h>

#include <map>

#include "common/text.h"
#include "doubles/fake_platform.h"
#include "files/temp_names.h"
#include "common/error_codes.h"

namespace {

const std::vector<std::uint8_t> kBytes = {0xD0, 0xCF, 0x11, 0xE0, 1, 2, 3};

class WriteOverTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fake::ResetPlatform();
        ResetTempNameCounter();
    }
    fake::PlatformState& os = fake::Platform();
};

TEST_F(WriteOverTest, GivenPathIsReplacedByACompleteCopy)
{
    os.files.contents[u"C:\\Work\\out.msp"] = std::vector<std::uint8_t>(100, 0x55);
    const std::u16string path = u"C:\\Work\\out.msp";
    ASSERT_TRUE(WriteOver(path, kBytes));
    EXPECT_EQ(os.files.contents[path], kBytes);
    EXPECT_EQ(os.files.contents.size(), 1u);  // the copy it was written to has become the target
    EXPECT_TRUE(os.files.unflushed.empty());  // on disk before it took the target's place
}

TEST_F(WriteOverTest, WhatIsNoFileIsRefusedAndNothingIsLeft)
{
    os.files.directories.insert(u"C:\\Work\\folder");
    for (const char16_t* given : {u"C:\\Work\\folder", u"C:\\Work\\folder\\", u"folder"}) {
        std::u16string path = given;
        EXPECT_FALSE(WriteOver(path, kBytes));
        EXPECT_EQ(os.thread.lastError, errors::kAccessDenied);
        EXPECT_TRUE(os.files.contents.empty());  // nothing put in its place, no side file left
    }
}

TEST_F(WriteOverTest, NamesOfTheTemporaryFormAreNeverTheSideFile)
{
    struct Case {
        std::u16string given;
        std::vector<std::u16string> existing;
        std::u16string written;
    };
    for (const Case& c : {Case{u"MSP2", {}, u"C:\\Work\\MSP2"},
                          Case{u"C:\\Work\\msp2", {}, u"C:\\Work\\msp2"},
                          Case{u"MSP2", {u"C:\\Work\\MSP2"}, u"C:\\Work\\MSP2"},
                          Case{u"MSP3", {u"C:\\Work\\MSP2"}, u"C:\\Work\\MSP3"},
                          Case{u"MSP3", {u"C:\\Work\\MSP2", u"C:\\Work\\MSP3"},
                               u"C:\\Work\\MSP3"}}) {
        SetUp();
        for (const auto& name : c.existing) {
            os.files.contents[name] = {7};
        }
        auto expected = os.files.contents;
        expected[c.written] = kBytes;
        std::u16string path = c.given;
        EXPECT_TRUE(WriteOver(path, kBytes)) << ToUtf8(c.given) << ": " << os.thread.lastError;
        EXPECT_TRUE(os.files.contents == expected) << ToUtf8(c.given);
    }
}

TEST_F(WriteOverTest, FolderThatNoLongerLeadsToTheHeldOneIsLeftAlone)
{
    // The folder is switched for another once the side file is there: nothing more
    // is moved or deleted, here or there.
    const std::map<std::u16string, std::vector<std::uint8_t>> before = {
        {u"C:\\A\\out.msp", {0xA}}, {u"C:\\B\\out.msp", {0xB}}};
    os.files.directories.insert({u"C:\\A", u"C:\\B"});
    os.files.contents = before;
    os.files.beforeCreate = [&](const std::u16string& name) {
        if (name == u"C:\\A\\MSP2") {
            os.files.links[u"C:\\A"] = u"C:\\B";
        }
    };
    std::u16string path = u"C:\\A\\out.msp";
    EXPECT_FALSE(WriteOver(path, kBytes));
    EXPECT_EQ(os.thread.lastError, errors::kAccessDenied);
    os.files.contents.erase(u"C:\\A\\MSP2");  // the side file stays where it was made
    EXPECT_TRUE(os.files.contents == before);
    EXPECT_TRUE(os.files.deleted.empty());
}

TEST_F(WriteOverTest, FailureLeavesTheTargetAsItWas)
{
    const std::u16string target = u"C:\\Work\\out.msp";
    const std::map<std::u16string, std::vector<std::uint8_t>> before = {
        {target, std::vector<std::uint8_t>(100, 0x55)}};
    os.files.contents = before;
    os.files.writeLimit = 4;  // disk full
    EXPECT_FALSE(WriteOver(target, kBytes));
    EXPECT_EQ(os.thread.lastError, 112u);
    EXPECT_TRUE(os.files.contents == before);
    EXPECT_EQ(os.files.openFiles, 0);

    // Cannot be replaced, in each of the ways the system reports.
    for (const std::uint32_t error :
         {errors::kUnableToRemoveReplaced, errors::kUnableToMoveReplacement,
          errors::kUnableToMoveReplacement2, errors::kAccessDenied}) {
        SetUp();
        os.files.contents = before;
        os.files.replaceError = error;
        EXPECT_FALSE(WriteOver(target, kBytes));
        EXPECT_EQ(os.thread.lastError, error);
        EXPECT_TRUE(os.files.contents == before) << error;
    }
}

}  // namespace
