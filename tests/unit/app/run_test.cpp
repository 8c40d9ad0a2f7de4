#include "app/run.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/run_state.h"
#include "common/text.h"
#include "doubles/fake_installer.h"
#include "doubles/fake_platform.h"
#include "doubles/process_reset.h"
#include "payload/extract.h"
#include "targets/target_product.h"
#include "ui/message_ids.h"
#include "unit/ui/string_tables.h"

namespace {

const std::vector<std::uint8_t> kPayload = {0xD0, 0xCF, 0x11, 0xE0, 9};
const std::u16string kTemplate = u"{6F1E2C3A-9B1D-4E55-8C3B-1A2B3C4D5E6F};{AB}";
const std::u16string kTempPatch = u"C:\\Temp\\MSP2";

class RunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fake::ResetProcess();
        LoadShippedTable("en-US.rc");
        os.resources.push_back({u"MSP", u"IDR_MSP", 1046, kPayload, false});
        os.resources.push_back({u"TXT", u"#206", 1046, fake::Bytes("PatchSize=5\r\n"), false});
        msi.summaries[kTempPatch].properties = {
            {installer::kPidRevNumber, {u"{P1}"}}, {installer::kPidTemplate, {kTemplate}}};
    }

    int Run(std::vector<std::u16string> arguments)
    {
        arguments.insert(arguments.begin(), u"servicepack.exe");
        os.arguments = arguments;
        return RunServicePack(&module);
    }

    int module = 0;
    fake::PlatformState& os = fake::Platform();
    fake::InstallerState& msi = fake::Installer();
};

TEST_F(RunTest, ListModeShowsTheTemplateEvenWhenQuiet)
{
    for (const auto& arguments : {std::vector<std::u16string>{u"/i"},
                                  std::vector<std::u16string>{u"/q", u"/i"}}) {
        SetUp();
        EXPECT_EQ(Run(arguments), 0);
        ASSERT_EQ(os.boxes.size(), 1u);
        EXPECT_EQ(os.boxes[0].text, kTemplate);
        EXPECT_EQ(os.boxes[0].title, u"List of Products");
        EXPECT_EQ(os.boxes[0].flags, kListBoxFlags);
        EXPECT_EQ(os.files.count(kTempPatch), 0u);  // read, then deleted
        EXPECT_TRUE(msi.configureCalls.empty());
        EXPECT_EQ(os.module, &module);
    }
}

TEST_F(RunTest, ListModeShowsAnEmptyTextWhenThePatchCannotBeRead)
{
    msi.summaries.clear();
    EXPECT_EQ(Run({u"/i"}), 0);
    ASSERT_EQ(os.boxes.size(), 1u);
    EXPECT_EQ(os.boxes[0].text, u"");
    EXPECT_EQ(os.boxes[0].title, u"List of Products");
    EXPECT_EQ(os.files.count(kTempPatch), 0u);

    SetUp();
    std::erase_if(os.resources, [](const fake::Resource& r) { return r.type == u"MSP"; });
    EXPECT_EQ(Run({u"/i"}), 0);
    ASSERT_EQ(os.boxes.size(), 1u);
    EXPECT_EQ(os.boxes[0].text, u"");
    EXPECT_TRUE(msi.calls.empty());

    // A copy changed after it was written is not read.
    SetUp();
    os.beforeCreate = [&](const std::u16string& path) {
        if (os.files.count(path) != 0) {
            os.files[path].back() ^= 1;
        }
    };
    EXPECT_EQ(Run({u"/i"}), 0);
    ASSERT_EQ(os.boxes.size(), 1u);
    EXPECT_EQ(os.boxes[0].text, u"");
    EXPECT_TRUE(msi.calls.empty());
    EXPECT_EQ(os.files.count(kTempPatch), 0u);
}

TEST_F(RunTest, SecondaryModesCombineWithoutInstalling)
{
    EXPECT_EQ(Run({u"/e", u"C:\\Work\\out.msp"}), 0);
    EXPECT_EQ(os.files[u"C:\\Work\\out.msp"], kPayload);
    EXPECT_TRUE(os.boxes.empty());
    EXPECT_TRUE(msi.calls.empty());
    EXPECT_EQ(os.snapshots, 0);

    SetUp();
    // /e's own temporary name beside out.msp takes MSP2, so /i reads MSP3.
    msi.summaries[u"C:\\Temp\\MSP3"] = msi.summaries[kTempPatch];
    EXPECT_EQ(Run({u"/e", u"C:\\Work\\out.msp", u"/p", u"C:\\Work\\list.txt", u"/i"}), 0);
    EXPECT_EQ(os.files[u"C:\\Work\\out.msp"], kPayload);
    EXPECT_EQ(os.files[u"C:\\Work\\list.txt"], fake::Bytes("*****\r\nPatchSize=5\r\n\r\n"));
    ASSERT_EQ(os.boxes.size(), 1u);
    EXPECT_EQ(os.boxes[0].text, kTemplate);
    EXPECT_TRUE(msi.configureCalls.empty());
}

TEST_F(RunTest, HelpShowsOneBoxInTheUsersLanguageAndDoesNothingElse)
{
    const ShippedTable german = LoadShippedTable("de-DE.rc");
    LoadShippedTable("fr-FR.rc");
    os.threadLocale = 1036;  // the regional format; Windows speaks German to this user
    os.userUiLanguage = 1031;
    EXPECT_EQ(Run({u"/e", u"/?"}), 0);
    ASSERT_EQ(os.boxes.size(), 1u);
    EXPECT_EQ(os.boxes[0].title, german.texts.at(msg::kTitleHelp));
    EXPECT_NE(os.boxes[0].text.find(u"/p ["), std::u16string::npos);
    EXPECT_EQ(os.boxes[0].flags, kInformationBoxFlags);
    EXPECT_TRUE(os.files.empty());
    EXPECT_TRUE(msi.calls.empty());
    EXPECT_EQ(os.snapshots, 0);
}

TEST_F(RunTest, InstallRunEndsWithAnEmptyTargetListAndExitCode0)
{
    fake::Product& product = msi.products[u"{AB}"];
    product.info = {{u"ProductName", u"Alpha"}, {u"Language", u"1033"},
                    {u"VersionString", u"5.0"}};
    product.configureResult = 1603;
    EXPECT_EQ(Run({}), 0);
    EXPECT_EQ(msi.configureCalls.size(), 1u);
    EXPECT_EQ(os.boxes.size(), 1u);
    EXPECT_TRUE(ProcessTargetList().Empty());
    EXPECT_EQ(os.deleted, std::vector<std::u16string>{kTempPatch});

    SetUp();
    os.resources.clear();
    EXPECT_EQ(Run({u"/q"}), 0);
    EXPECT_TRUE(os.boxes.empty());
}

TEST_F(RunTest, ExitCodeSwitchAnywhereReturnsTheOutcome)
{
    // Unseen, so that /i and /? show nothing; /exitcode is never the path of /e.
    const std::pair<std::vector<std::u16string>, int> cases[] = {
        {{u"/q", u"/EXITCODE"}, 1603},
        {{u"/e", u"/exitcode", u"C:\\Missing\\out.msp"}, 3},  // the path was not found
        {{u"/e", u"C:\\Work\\out.msp", u"/p", u"C:\\Missing\\list.txt", u"/exitcode"}, 3},
        {{u"/i", u"/exitcode"}, 0},
        {{u"/?", u"/exitcode"}, 0},
        {{u"/exitcode", u"/ask", u"soon"}, 1639},  // refused: nothing installed
    };
    for (const auto& [arguments, exitCode] : cases) {
        SCOPED_TRACE(ToUtf8(arguments[0]));
        SetUp();
        msi.products[u"{AB}"].info = {{u"ProductName", u"Alpha"}, {u"VersionString", u"5.0"}};
        msi.products[u"{AB}"].configureResult = 1603;
        os.desktopVisible = false;
        EXPECT_EQ(Run(arguments), exitCode);
        EXPECT_TRUE(os.boxes.empty());
    }
}

}  // namespace
