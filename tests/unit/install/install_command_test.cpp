#include "install/install_command.h"

#include <gtest/gtest.h>

#include "doubles/fake_platform.h"

namespace {

TEST(InstallCommandLine, TemplatesAreFilledExactly)
{
    std::u16string line;
    ASSERT_TRUE(BuildInstallCommandLine(u"C:\\Temp\\MSP2", u"1033", u"Close them:", line));
    EXPECT_EQ(line, u"PATCH=\"C:\\Temp\\MSP2\" LOCALEID=1033 REBOOTPROMPT=SUPPRESS "
                    u"REBOOT=ReallySuppress FILESINUSETEXT=\"Close them:\"");
    ASSERT_TRUE(BuildInstallCommandLine(u"C:\\Temp\\MSP2", u"12", u"", line));
    EXPECT_EQ(line, u"PATCH=\"C:\\Temp\\MSP2\" LOCALEID=12 REBOOTPROMPT=SUPPRESS "
                    u"REBOOT=ReallySuppress FILESINUSETEXT=\"\"");
    ASSERT_TRUE(BuildInstallCommandLine(u"x", u"65535", u"", line));
    EXPECT_EQ(line, u"PATCH=\"x\" LOCALEID=65535 REBOOTPROMPT=SUPPRESS REBOOT=ReallySuppress "
                    u"FILESINUSETEXT=\"\"");
    // Left out: too short, or anything that is not a short number and so could add properties.
    for (const char16_t* locale : {u"0", u"7", u"", u"1033 REMOVE=ALL", u"1033\"", u"123456",
                                   u"-1033", u"\uFF11\uFF10\uFF13\uFF13"}) {
        ASSERT_TRUE(BuildInstallCommandLine(u"x.msp", locale, u"t", line));
        EXPECT_EQ(line, u"PATCH=\"x.msp\" REBOOTPROMPT=SUPPRESS REBOOT=ReallySuppress "
                        u"FILESINUSETEXT=\"t\"");
    }
}

TEST(InstallCommandLine, RemovalNamesTheOnePatchByItsGuidAndNothingElse)
{
    const std::u16string code = u"{1AF93413-bcc5-429E-BC11-49F6E05DF127}";
    std::u16string line = u"kept";
    ASSERT_TRUE(BuildRemovalCommandLine(code, u"1031", line));
    EXPECT_EQ(line, u"MSIPATCHREMOVE=" + code + u" LOCALEID=1031 REBOOT=ReallySuppress");
    for (const char16_t* bad : {u"{P1}", u"{1AF93413-BCC5-429E-BC11-49F6E05DF12 REMOVE=ALL}",
                                u"{1AF93413-BCC5-429E-BC11-49F6E05DF127", u"",
                                u"{1AF93413-BCC5-429E-BC11-49F6E05DF12G}"}) {
        line = u"kept";
        EXPECT_FALSE(BuildRemovalCommandLine(bad, u"1033", line));
        EXPECT_EQ(line, u"kept");
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

const std::u16string kCode = u"{11111111-2222-3333-4444-555555555555}";

TEST(LogPath, NameStaysAnOrdinaryFileInTheTempDirectory)
{
    fake::ResetPlatform();
    fake::Platform().environment.tempPath = u"C:\\T\\";
    EXPECT_EQ(MakeLogPath(u"Suite 2008", kCode), u"C:\\T\\Suite 2008.log");
    EXPECT_EQ(MakeLogPath(u"..\\..\\a/b:c*d?e\"f<g>h|i\tj", kCode),
              u"C:\\T\\.._.._a_b_c_d_e_f_g_h_i_j.log");
    EXPECT_EQ(MakeLogPath(u"", kCode), u"C:\\T\\" + kCode + u".log");
    // Device names, whatever follows a first dot, would open the device instead.
    for (const char16_t* device : {u"CON", u"prn", u"Aux.txt", u"nul .x", u"COM1", u"lpt9.a.b",
                                   u"COM\u00B9", u"conin$", u"CONOUT$.log"}) {
        EXPECT_EQ(MakeLogPath(device, kCode), u"C:\\T\\_" + std::u16string(device) + u".log");
    }
    for (const char16_t* file : {u"CONSOLE", u"COM10", u"LPT", u" NUL", u"xCOM1", u"Plotrix.CON",
                                 u"CONIN", u"CONOUT$x"}) {
        EXPECT_EQ(MakeLogPath(file, kCode), u"C:\\T\\" + std::u16string(file) + u".log");
    }
}

TEST(LogPath, NamesUsedInTheRunInAnyCaseGetANumber)
{
    std::vector<std::u16string> used = {u"C:\\T\\a.log", u"C:\\T\\A (2).log"};
    EXPECT_EQ(DistinctLogPath(u"C:\\T\\A.log", used), u"C:\\T\\A (3).log");
    EXPECT_EQ(DistinctLogPath(u"C:\\T\\b.log", used), u"C:\\T\\b.log");
    EXPECT_EQ(DistinctLogPath(u"", used), u"");
    used = {u"C:\\T\\" + std::u16string(250, u'n') + u".log"};  // no room for a number
    EXPECT_EQ(DistinctLogPath(used[0], used), u"");
}

TEST(LogPath, EmptyWhenNoFullPathFits)
{
    fake::ResetPlatform();
    fake::Platform().environment.tempPath = u"C:\\T\\";  // 5 units
    EXPECT_EQ(MakeLogPath(std::u16string(250, u'n'), kCode).size(), 259u);
    EXPECT_EQ(MakeLogPath(std::u16string(251, u'n'), kCode), u"");

    fake::Platform().environment.tempPath = std::u16string(259, u't');
    EXPECT_EQ(MakeLogPath(u"a", kCode), u"");
    fake::Platform().environment.tempPath = std::u16string(300, u't');
    EXPECT_EQ(MakeLogPath(u"a", kCode), u"");
    fake::Platform().environment.tempPath.reset();
    EXPECT_EQ(MakeLogPath(u"a", kCode), u"");
}

}  // namespace
