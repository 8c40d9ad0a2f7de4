#include "install/install_command.h"

#include <gtest/gtest.h>

#include "doubles/fake_platform.h"

namespace {

TEST(InstallCommandLine, TemplatesAreFilledExactly)
{
    std::u16string line;
    ASSERT_TRUE(BuildInstallCommandLine(u"C:\\Temp\\MSP2", u"1033", u"Close them:", line));
    EXPECT_EQ(line, u"PATCH=\"C:\\Temp\\MSP2\" LOCALEID=1033 REBOOTPROMPT=SUPPRESS "
                    u"FILESINUSETEXT=\"Close them:\"");
    ASSERT_TRUE(BuildInstallCommandLine(u"C:\\Temp\\MSP2", u"12", u"", line));
    EXPECT_EQ(line, u"PATCH=\"C:\\Temp\\MSP2\" LOCALEID=12 REBOOTPROMPT=SUPPRESS "
                    u"FILESINUSETEXT=\"\"");
    ASSERT_TRUE(BuildInstallCommandLine(u"x", u"65535", u"", line));
    EXPECT_EQ(line, u"PATCH=\"x\" LOCALEID=65535 REBOOTPROMPT=SUPPRESS FILESINUSETEXT=\"\"");
    // Left out: too short, or anything that is not a short number and so could add properties.
    for (const char16_t* locale : {u"0", u"7", u"", u"1033 REMOVE=ALL", u"1033\"", u"123456",
                                   u"-1033", u"\uFF11\uFF10\uFF13\uFF13"}) {
        ASSERT_TRUE(BuildInstallCommandLine(u"x.msp", locale, u"t", line));
        EXPECT_EQ(line, u"PATCH=\"x.msp\" REBOOTPROMPT=SUPPRESS FILESINUSETEXT=\"t\"");
    }
}

TEST(InstallCommandLine, LongestLineLeavesRoomForTheTerminator)
{
    std::u16string empty;
    ASSERT_TRUE(BuildInstallCommandLine(u"p", u"1033", u"", empty));
    const std::size_t fixed = empty.size();

    std::u16string line;
    ASSERT_TRUE(BuildInstallCommandLine(u"p", u"1033", std::u16string(1023 - fixed, u'x'), line));
    EXPECT_EQ(line.size(), 1023u);

    std::u16string kept = u"untouched";
    EXPECT_FALSE(BuildInstallCommandLine(u"p", u"1033", std::u16string(1024 - fixed, u'x'), kept));
    EXPECT_EQ(kept, u"untouched");
    EXPECT_FALSE(BuildInstallCommandLine(std::u16string(2000, u'p'), u"", u"", kept));
}

TEST(LogPath, NameStaysInTheTempDirectory)
{
    fake::ResetPlatform();
    fake::Platform().tempPath = u"C:\\T\\";
    EXPECT_EQ(MakeLogPath(u"Suite 2008"), u"C:\\T\\Suite 2008.log");
    EXPECT_EQ(MakeLogPath(u"..\\..\\a/b:c*d?e\"f<g>h|i\tj"),
              u"C:\\T\\.._.._a_b_c_d_e_f_g_h_i_j.log");
}

TEST(LogPath, EmptyWhenNoFullPathFits)
{
    fake::ResetPlatform();
    fake::Platform().tempPath = u"C:\\T\\";  // 5 units
    EXPECT_EQ(MakeLogPath(std::u16string(250, u'n')).size(), 259u);
    EXPECT_EQ(MakeLogPath(std::u16string(251, u'n')), u"");

    fake::Platform().tempPath = std::u16string(259, u't');
    EXPECT_EQ(MakeLogPath(u""), u"");
    fake::Platform().tempPath = std::u16string(300, u't');
    EXPECT_EQ(MakeLogPath(u"a"), u"");
    fake::Platform().tempPath.reset();
    EXPECT_EQ(MakeLogPath(u"a"), u"");
}

}  // namespace
