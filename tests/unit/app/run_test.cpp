#include "app/run.h"

#include <gtest/gtest.h>

#include <tuple>

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
#include "unit/record/record_lines.h"
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
        os.resources.entries.push_back({u"MSP", u"IDR_MSP", 1046, kPayload, false});
        os.resources.entries.push_back(
            {u"TXT", u"#206", 1046, fake::Bytes("PatchSize=5\r\n"), false});
        msi.summaries[kTempPatch].properties = {
            {installer::kPidRevNumber, {u"{P1}"}}, {installer::kPidTemplate, {kTemplate}}};
    }

    int Run(std::vector<std::u16string> arguments)
    {
        arguments.insert(arguments.begin(), u"servicepack.exe");
        os.environment.arguments = arguments;
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
        ASSERT_EQ(os.boxes.shown.size(), 1u);
        EXPECT_EQ(os.boxes.shown[0].text, kTemplate);
        EXPECT_EQ(os.boxes.shown[0].title, u"List of Products");
        EXPECT_EQ(os.boxes.shown[0].flags, kListBoxFlags);
        EXPECT_EQ(os.files.contents.count(kTempPatch), 0u);  // read, then deleted
        EXPECT_TRUE(msi.configureCalls.empty());
        EXPECT_EQ(os.resources.module, &module);
    }
}

TEST_F(RunTest, ListModeShowsAnEmptyTextWhenThePatchCannotBeRead)
{
    msi.summaries.clear();
    EXPECT_EQ(Run({u"/i"}), 0);
    ASSERT_EQ(os.boxes.shown.size(), 1u);
    EXPECT_EQ(os.boxes.shown[0].text, u"");
    EXPECT_EQ(os.boxes.shown[0].title, u"List of Products");
    EXPECT_EQ(os.files.contents.count(kTempPatch), 0u);

    SetUp();
    std::erase_if(os.resources.entries, [](const fake::Resource& r) { return r.type == u"MSP"; });
    EXPECT_EQ(Run({u"/i"}), 0);
    ASSERT_EQ(os.boxes.shown.size(), 1u);
    EXPECT_EQ(os.boxes.shown[0].text, u"");
    EXPECT_TRUE(msi.calls.empty());

    // A copy changed after it was written is not read.
    SetUp();
    os.files.beforeCreate = [&](const std::u16string& path) {
        if (os.files.contents.count(path) != 0) {
            os.files.contents[path].back() ^= 1;
        }
    };
    EXPECT_EQ(Run({u"/i"}), 0);
    ASSERT_EQ(os.boxes.shown.size(), 1u);
    EXPECT_EQ(os.boxes.shown[0].text, u"");
    EXPECT_TRUE(msi.calls.empty());
    EXPECT_EQ(os.files.contents.count(kTempPatch), 0u);
}

TEST_F(RunTest, SecondaryModesCombineWithoutInstalling)
{
    EXPECT_EQ(Run({u"/e", u"C:\\Work\\out.msp"}), 0);
    EXPECT_EQ(os.files.contents[u"C:\\Work\\out.msp"], kPayload);
    EXPECT_TRUE(os.boxes.shown.empty());
    EXPECT_TRUE(msi.calls.empty());
    EXPECT_EQ(os.processes.snapshots, 0);

    SetUp();
    // /e's own temporary name beside out.msp takes MSP2, so /i reads MSP3.
    msi.summaries[u"C:\\Temp\\MSP3"] = msi.summaries[kTempPatch];
    EXPECT_EQ(Run({u"/e", u"C:\\Work\\out.msp", u"/p", u"C:\\Work\\list.txt", u"/i"}), 0);
    EXPECT_EQ(os.files.contents[u"C:\\Work\\out.msp"], kPayload);
    EXPECT_EQ(os.files.contents[u"C:\\Work\\list.txt"],
              fake::Bytes("*****\r\nPatchSize=5\r\n\r\n"));
    ASSERT_EQ(os.boxes.shown.size(), 1u);
    EXPECT_EQ(os.boxes.shown[0].text, kTemplate);
    EXPECT_TRUE(msi.configureCalls.empty());
}

TEST_F(RunTest, HelpShowsOneBoxInTheUsersLanguageAndDoesNothingElse)
{
    const ShippedTable german = LoadShippedTable("de-DE.rc");
    LoadShippedTable("fr-FR.rc");
    os.thread.locale = 1036;  // the regional format; Windows speaks German to this user
    os.thread.userUiLanguage = 1031;
    EXPECT_EQ(Run({u"/e", u"/?"}), 0);
    ASSERT_EQ(os.boxes.shown.size(), 1u);
    EXPECT_EQ(os.boxes.shown[0].title, german.texts.at(msg::kTitleHelp));
    EXPECT_NE(os.boxes.shown[0].text.find(u"/p ["), std::u16string::npos);
    EXPECT_EQ(os.boxes.shown[0].flags, kInformationBoxFlags);
    EXPECT_TRUE(os.files.contents.empty());
    EXPECT_TRUE(msi.calls.empty());
    EXPECT_EQ(os.processes.snapshots, 0);
}

TEST_F(RunTest, InstallRunEndsWithAnEmptyTargetListAndExitCode0)
{
    fake::Product& product = msi.products[u"{AB}"];
    product.info = {{u"ProductName", u"Alpha"}, {u"Language", u"1033"},
                    {u"VersionString", u"5.0"}};
    product.configureResult = 1603;
    EXPECT_EQ(Run({}), 0);
    EXPECT_EQ(msi.configureCalls.size(), 1u);
    EXPECT_EQ(os.boxes.shown.size(), 1u);
    EXPECT_TRUE(ProcessTargetList().Empty());
    EXPECT_EQ(os.files.deleted, std::vector<std::u16string>{kTempPatch});

    SetUp();
    os.resources.entries.clear();
    EXPECT_EQ(Run({u"/q"}), 0);
    EXPECT_TRUE(os.boxes.shown.empty());
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
        os.boxes.desktopVisible = false;
        EXPECT_EQ(Run(arguments), exitCode);
        EXPECT_TRUE(os.boxes.shown.empty());
    }
}

// A check's answer is its exit code; a removal keeps 0 only where a box told someone.
TEST_F(RunTest, CheckAndUninstallExitWithTheirOutcome)
{
    const std::tuple<std::vector<std::u16string>, bool, int> cases[] = {
        {{u"/check"}, true, 1},
        {{u"/check", u"/uninstall", u"/q"}, false, 1639},
        {{u"/uninstall"}, true, 0},  // nothing to remove, said in a box
        {{u"/uninstall"}, false, 1603},
        {{u"/uninstall", u"/q"}, true, 1603},
        {{u"/uninstall", u"/exitcode"}, true, 1603},
    };
    for (const auto& [arguments, seen, exitCode] : cases) {
        SCOPED_TRACE(ToUtf8(arguments.back()));
        SetUp();
        msi.summaries[kTempPatch].properties[installer::kPidRevNumber] = {
            u"{6F1E2C3A-9B1D-4E55-8C3B-1A2B3C4D5E6F}"};
        fake::Product& alpha = msi.products[u"{AB}"];
        alpha.info = {{u"ProductName", u"Alpha"}, {u"VersionString", u"5.0"}};
        alpha.configureResult = 1603;
        if (arguments[0] == u"/uninstall" && exitCode != 0) {
            alpha.patchStates[u"{6F1E2C3A-9B1D-4E55-8C3B-1A2B3C4D5E6F}"] = 0;
        }
        os.boxes.desktopVisible = seen;
        EXPECT_EQ(Run(arguments), exitCode);
        EXPECT_TRUE(msi.configureCalls.size() == (exitCode == 1603 ? 1u : 0u));
    }
}

TEST_F(RunTest, RecordIsWrittenOnlyWithLogAndNeverChangesTheOutcome)
{
    const std::u16string defaultRecord = u"C:\\Temp\\servicepack.log";
    msi.products[u"{AB}"].info = {{u"ProductName", u"Alpha"}, {u"VersionString", u"5.0"}};
    msi.products[u"{AB}"].configureResult = 1603;
    EXPECT_EQ(Run({u"/q", u"/exitcode"}), 1603);
    EXPECT_EQ(os.record.queries, 0);
    const auto withoutRecord = msi.calls;

    // A record that cannot be opened: the same run, the same code.
    SetUp();
    msi.products[u"{AB}"].info = {{u"ProductName", u"Alpha"}, {u"VersionString", u"5.0"}};
    msi.products[u"{AB}"].configureResult = 1603;
    EXPECT_EQ(Run({u"/q", u"/exitcode", u"/log", u"C:\\Missing\\r.log"}), 1603);
    EXPECT_EQ(msi.calls, withoutRecord);

    SetUp();
    msi.products[u"{AB}"].info = {{u"ProductName", u"Alpha"}, {u"VersionString", u"5.0"}};
    msi.products[u"{AB}"].configureResult = 1603;
    os.environment.variables[u"TEMP"] = u"c:\\temp";
    EXPECT_EQ(Run({u"/q", u"/log"}), 0);
    const auto events = RecordEvents(defaultRecord);
    ASSERT_GE(events.size(), 6u);
    EXPECT_EQ(events[0], "start: servicepack.exe version unknown (C:\\Work\\servicepack.exe)");
    EXPECT_EQ(events[1], "command line: \"servicepack.exe\" \"/q\" \"/log\"");
    EXPECT_EQ(events[2], "account: WORK\\admin, SID S-1-5-21-7-8-9-1001, not LocalSystem");
    EXPECT_EQ(events[3], "session 1, the desktop is visible: boxes can be answered");
    EXPECT_EQ(events[4], "user's UI language: 1033 en-US");
    EXPECT_EQ(events[5], "temporary folder: C:\\Temp\\, from TEMP (TMP names no folder)");
    EXPECT_EQ(RecordEvent(defaultRecord, "message 300"), "message 300 not shown: /q");
    EXPECT_EQ(events.back(), "end: outcome 1603 (failure: see the failed step above, and the "
                             "product's log), exit code 0 (without /exitcode the process always "
                             "returns 0), took 0 ms");
}

TEST_F(RunTest, EveryModeRecordsItsFailedStepsAndItsEnd)
{
    const std::u16string record = u"C:\\Work\\run.log";
    os.boxes.desktopVisible = false;
    os.account.localSystem = true;
    os.account.known = false;
    EXPECT_EQ(Run({u"/e", u"C:\\Missing\\out.msp", u"/p", u"C:\\Missing\\l.txt", u"/log",
                   record, u"/exitcode"}),
              3);
    EXPECT_EQ(RecordEvent(record, "account:"), "account: unknown (5 (text of 5)), LocalSystem");
    EXPECT_EQ(RecordEvent(record, "session"),
              "session 1, no one sees the desktop: boxes go to the person at the machine, if "
              "asked");
    EXPECT_EQ(RecordEvent(record, "failed: writing"),
              "failed: writing the patch (/e): error 3 (text of 3)");
    EXPECT_EQ(RecordEvent(record, "failed: appending"),
              "failed: appending the patch-list texts (/p): error 3 (text of 3)");
    EXPECT_EQ(RecordEvents(record).back(),
              "end: outcome 3 (failure: see the failed step above, and the product's log), "
              "exit code 3, took 0 ms");

    SetUp();
    std::erase_if(os.resources.entries, [](const fake::Resource& r) { return r.type == u"MSP"; });
    EXPECT_EQ(Run({u"/i", u"/log", record}), 0);
    EXPECT_EQ(RecordEvent(record, "failed:"),
              "failed: reading the product codes (/i): error 1813 (text of 1813)");

    SetUp();
    EXPECT_EQ(Run({u"/?", u"/log", record}), 0);
    // The whole help, past the capacity of the other texts.
    const std::string help = RecordEvent(record, "message 315 shown: Without options, this");
    const std::string end = "\\n/? \xE2\x80\x93 show this help";
    EXPECT_EQ(help.substr(help.size() - std::min(help.size(), end.size())), end);
    EXPECT_EQ(RecordEvents(record).back(), "end: outcome 0 (success), exit code 0, took 0 ms");
}

}  // namespace
