#include "install/driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "common/run_state.h"
#include "common/text.h"
#include "doubles/fake_installer.h"
#include "doubles/fake_platform.h"
#include "doubles/process_reset.h"
#include "payload/extract.h"
#include "common/error_codes.h"
#include "platform/files.h"
#include "platform/final_path.h"
#include "platform/processes.h"
#include "record/record.h"
#include "targets/target_product.h"
#include "ui/message_ids.h"
#include "unit/record/record_lines.h"
#include "unit/ui/string_tables.h"

namespace {

const std::u16string kPatchPath = u"C:\\Temp\\MSP2";
const std::u16string kFilesInUse =
    u"The following applications should be closed before continuing the install:";
// How the English texts of 300, 301 and 307 begin.
const std::u16string kFailed = u"A problem prevented the service pack from being installed. "
                               u"Contact your system administrator. \n\n Error Code: ";
const std::u16string kInstalled = u"The service pack has been successfully installed.";
const std::u16string kNoProduct = u"The service pack could not be installed because";

class DriverTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fake::ResetProcess();
        LoadShippedTable("en-US.rc");
        LoadShippedTable("de-DE.rc");
        os.resources.entries.push_back({u"MSP", u"IDR_MSP", 1046, {0xD0, 0xCF, 1, 2}, false});
        ScriptPatch(kPatchPath, u"{A};{B}");
    }

    void ScriptPatch(const std::u16string& path, const std::u16string& productList)
    {
        msi.summaries[path].properties = {{installer::kPidRevNumber, {u"{P1}{P0}"}},
                                          {installer::kPidTemplate, {productList}}};
    }

    fake::Product& AddProduct(const std::u16string& code, const std::u16string& name,
                              const std::u16string& version = u"5.0",
                              const std::u16string& language = u"1033")
    {
        fake::Product& product = msi.products[code];
        product.info = {{u"ProductName", name},
                        {u"Language", language},
                        {u"VersionString", version},
                        {u"LocalPackage", u"C:\\Windows\\Installer\\x.msi"}};
        product.packageProperties[u"LOCALEID"] = language;
        return product;
    }

    std::vector<std::u16string> Configured() const
    {
        std::vector<std::u16string> codes;
        for (const auto& call : msi.configureCalls) {
            codes.push_back(call.product);
        }
        return codes;
    }

    // Exactly one box was shown, and its text begins with start.
    void ExpectOneBox(const std::u16string& start) const
    {
        ASSERT_EQ(os.boxes.shown.size(), 1u);
        EXPECT_EQ(os.boxes.shown[0].text.substr(0, start.size()), start)
            << ToUtf8(os.boxes.shown[0].text);
    }

    // The temporary patch is gone, and was removed exactly once.
    void ExpectPatchDeleted() const
    {
        EXPECT_EQ(os.files.deleted, std::vector<std::u16string>{kPatchPath});
        EXPECT_EQ(os.files.contents.count(kPatchPath), 0u);
    }

    fake::InstallerState& msi = fake::Installer();
    fake::PlatformState& os = fake::Platform();
};

using Codes = std::vector<std::u16string>;

TEST_F(DriverTest, NothingToPatchGoesStraightToTheOutcomeThoughAWatchedAppRuns)
{
    const std::u16string refused = u"This service pack could not be installed because it is not";
    // What Alpha is; Beta is never listed.
    const std::tuple<void (*)(fake::Product&), std::u16string, std::uint32_t> cases[] = {
        {nullptr, kNoProduct, 1642},
        {[](fake::Product& p) { p.patchStates[u"{P1}"] = 0; }, u"Your version of Alpha", 0},
        {[](fake::Product& p) { p.info[u"VersionString"] = u"13.3.0.5"; }, u"Your version", 0},
        {[](fake::Product& p) { p.sequenceStatus = 1642; }, refused, 1642},
        {[](fake::Product& p) { p.sequenceResult = 1610; }, refused, 1610},
    };
    for (const auto& [alpha, box, exitCode] : cases) {
        SetUp();
        ScriptPatch(kPatchPath, u"{A}");
        if (alpha != nullptr) {
            alpha(AddProduct(u"{A}", u"Alpha"));
        }
        os.processes.running = std::vector<platform::ProcessEntry>{{40, u"plrx.exe"}};
        EXPECT_EQ(RunInstall(), exitCode);
        EXPECT_EQ(os.processes.snapshots, 0);
        ASSERT_NO_FATAL_FAILURE(ExpectOneBox(box));
        EXPECT_EQ(os.boxes.shown[0].locale, 1033u);
        EXPECT_TRUE(msi.configureCalls.empty());
        ExpectPatchDeleted();
    }
}

// A check decides as the installation would, and changes nothing: no box, no
// running-application check, no run lock, no installer call that changes anything.
TEST_F(DriverTest, CheckAnswersForEachKindOfMachineAndChangesNothing)
{
    const std::pair<void (*)(fake::Product&), std::uint32_t> cases[] = {
        {nullptr, 1642},                                                       // no product
        {[](fake::Product&) {}, 1},                                            // would patch
        {[](fake::Product& p) { p.patchStates[u"{P1}"] = 0; }, 0},             // has it
        {[](fake::Product& p) { p.info[u"VersionString"] = u"13.3.0.5"; }, 0},  // up to date
        {[](fake::Product& p) { p.sequenceStatus = 1642; }, 1642},             // refused
        {[](fake::Product& p) { p.sequenceResult = 1627; }, 1627},             // damaged cache
        {[](fake::Product& p) { p.sequenceResult = 1618; }, 1618},
    };
    const std::u16string record = u"C:\\Work\\run.log";
    for (const auto& [alpha, exitCode] : cases) {
        SetUp();
        ProcessRunOptions().check = true;
        record::Open(record);
        ScriptPatch(kPatchPath, u"{A}");
        if (alpha != nullptr) {
            alpha(AddProduct(u"{A}", u"Alpha"));
        }
        os.processes.running = std::vector<platform::ProcessEntry>{{40, u"plrx.exe"}};
        EXPECT_EQ(RunCheck(), exitCode);
        for (const std::string call : {"ConfigureProductEx", "EnableLog"}) {
            EXPECT_TRUE(fake::CallsStartingWith(call).empty()) << call << " " << exitCode;
        }
        EXPECT_TRUE(os.boxes.shown.empty());
        EXPECT_EQ(os.processes.snapshots, 0);
        EXPECT_TRUE(os.mutexes.waits.empty() && os.mutexes.owned.empty());
        ExpectPatchDeleted();
        EXPECT_EQ(RecordEvent(record, "check:").rfind("check: nothing was changed", 0), 0u);
    }
}

TEST_F(DriverTest, PresentProductsThatNeedNothingReport306)
{
    AddProduct(u"{A}", u"Alpha").patchStates[u"{P1}"] = 0;
    AddProduct(u"{B}", u"Beta").sequenceOrder = -1;
    EXPECT_EQ(RunInstall(), 0u);
    ExpectOneBox(u"Your version of Beta is up-to-date");
    EXPECT_TRUE(msi.configureCalls.empty());
    ExpectPatchDeleted();
}

TEST_F(DriverTest, SuccessCodesGoOnToTheNextTargetAndEndWith301)
{
    for (const std::uint32_t first : {0u, 1641u, 3010u}) {
        SCOPED_TRACE(first);
        SetUp();
        AddProduct(u"{A}", u"Alpha").configureResult = first;
        AddProduct(u"{B}", u"Beta");
        EXPECT_EQ(RunInstall(), first);
        EXPECT_EQ(Configured(), (Codes{u"{A}", u"{B}"}));
        ExpectOneBox(kInstalled);
        ExpectPatchDeleted();
        // Each product is asked once more, after its installation, whether it has the patch.
        EXPECT_EQ(fake::CallsStartingWith("GetPatchState {P1} {A} 4").size(), 2u);
        const auto applied =
            std::find(msi.calls.begin(), msi.calls.end(), "ConfigureProductEx {B}");
        ASSERT_NE(applied, msi.calls.end());
        EXPECT_EQ(*std::next(applied), "GetPatchState {P1} {B} 4");
    }
}

TEST_F(DriverTest, FirstFailureEndsTheLoopWithItsMessage)
{
    const std::pair<std::uint32_t, std::u16string> cases[] = {
        {1603, kFailed + u"1603"},
        {errors::kPackageRejected, u"The update for Alpha was refused by the system policy"},
    };
    for (const auto& [result, text] : cases) {
        SCOPED_TRACE(result);
        SetUp();
        AddProduct(u"{A}", u"Alpha").configureResult = result;
        AddProduct(u"{B}", u"Beta");
        EXPECT_EQ(RunInstall(), result);
        EXPECT_EQ(Configured(), Codes{u"{A}"});
        ExpectOneBox(text);
        ExpectPatchDeleted();
        // Logging and the UI level are process-wide: set back after a failure too.
        EXPECT_EQ(msi.logCalls.back().mode, installer::kLogModeOff);
        EXPECT_EQ(msi.uiLevel, 1);
    }
}

TEST_F(DriverTest, OneOutcomeGivesTheClosingBoxAndTheExitCode)
{
    enum : std::uint32_t {  // else a configure result
        kRefused = 1,     // sequencing finds that the patch does not apply (entry status 1642)
        kHasPatch,
        kNotApplicable,   // order -1
        kSequenceFails,   // the sequencing call fails (a damaged cached package)
        kSequenceBusy,    // ... with 1618, another installation in progress
        kUnregistered,    // configure says 0 but the patch is not registered
        kStateBusy,       // the patch-state query answers 1618
    };
    const std::u16string refused = u"This service pack could not be installed because it is not";
    const std::u16string restart =
        kInstalled + u"\n\nThe computer must be restarted to complete the installation.";
    using Boxes = std::vector<std::u16string>;
    const std::tuple<std::vector<std::uint32_t>, Boxes, std::uint32_t, std::size_t> cases[] = {
        {{1641, 3010}, {restart}, 1641, 2},
        // The 308 boxes are the whole answer when nothing was patched.
        {{kRefused, kHasPatch}, {refused}, 1642, 0},
        {{kRefused, 0}, {refused, kInstalled}, 0, 1},
        {{kNotApplicable}, {kNoProduct}, 1642, 0},
        // An installer that failed to sequence outranks a product patched, as a failed
        // installation does; a busy one outranks any other failure.
        {{kSequenceFails, 0}, {refused}, 1610, 1},
        {{kSequenceFails, kHasPatch}, {refused}, 1610, 0},
        {{kSequenceFails, kSequenceBusy}, {refused, refused}, 1618, 0},
        {{kSequenceFails, 1618}, {refused, kFailed + u"1618"}, 1618, 1},
        {{0, 1618}, {kFailed + u"1618"}, 1618, 2},
        // Success the installer cannot confirm is a failure, and ends the loop.
        {{kUnregistered, 0}, {kFailed + u"1603"}, 1603, 1},
        {{kStateBusy, 0}, {kFailed + u"1618"}, 1618, 1},
    };
    for (const auto& [products, boxes, exitCode, configured] : cases) {
        SetUp();
        for (std::size_t i = 0; i < products.size(); ++i) {
            const std::uint32_t p = products[i];
            fake::Product& product = AddProduct(i == 0 ? u"{A}" : u"{B}", u"Alpha");
            product.sequenceResult = p == kSequenceFails ? 1610 : p == kSequenceBusy ? 1618 : 0;
            product.sequenceStatus = p == kRefused ? 1642 : 0;
            product.sequenceOrder = p == kNotApplicable || p == kRefused ? -1 : 0;
            product.patchStates[u"{P1}"] = p == kHasPatch ? 0 : p == kStateBusy ? 1618 : 1647;
            product.registersPatch = p != kUnregistered && p != kStateBusy;
            product.configureResult = p > kStateBusy ? p : 0;
        }
        EXPECT_EQ(RunInstall(), exitCode);
        EXPECT_EQ(msi.configureCalls.size(), configured);
        ASSERT_EQ(os.boxes.shown.size(), boxes.size());
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            EXPECT_EQ(os.boxes.shown[i].text.substr(0, boxes[i].size()), boxes[i]);
        }
        const bool restarts = os.boxes.shown.back().text.find(u"restart") != std::u16string::npos;
        EXPECT_EQ(restarts, exitCode == 1641);
        ExpectPatchDeleted();
    }
}

TEST_F(DriverTest, LocaleIdEntersTheCommandLineOnlyWithTwoOrMoreCharacters)
{
    ScriptPatch(kPatchPath, u"{A};{B};{C}");
    AddProduct(u"{A}", u"Alpha");
    AddProduct(u"{B}", u"Beta").packageProperties[u"LOCALEID"] = u"0";
    AddProduct(u"{C}", u"Gamma").packageProperties.clear();
    EXPECT_EQ(RunInstall(), 0u);
    ASSERT_EQ(msi.configureCalls.size(), 3u);
    const std::u16string tail =
        u"REBOOTPROMPT=SUPPRESS REBOOT=ReallySuppress FILESINUSETEXT=\"" + kFilesInUse + u"\"";
    EXPECT_EQ(msi.configureCalls[0].commandLine,
              u"PATCH=\"C:\\Temp\\MSP2\" LOCALEID=1033 " + tail);
    EXPECT_EQ(msi.configureCalls[1].commandLine, u"PATCH=\"C:\\Temp\\MSP2\" " + tail);
    EXPECT_EQ(msi.configureCalls[2].commandLine, u"PATCH=\"C:\\Temp\\MSP2\" " + tail);
    EXPECT_EQ(msi.configureCalls[0].installLevel, installer::kInstallLevelDefault);
    EXPECT_EQ(msi.configureCalls[0].installState, installer::kStateDefault);
}

TEST_F(DriverTest, EachProductIsLoggedToTheTempDirectoryUnderBasicUi)
{
    os.environment.tempPath = u"C:\\T\\";
    os.files.directories.insert(u"C:\\T");
    ScriptPatch(u"C:\\T\\MSP2", u"{A};{B};{C}");
    AddProduct(u"{A}", u"Suite 2008");
    AddProduct(u"{B}", u"Suite: A\\B");
    AddProduct(u"{C}", u"SUITE 2008");  // the same file as the first's log
    // A link planted at one log's name, a stale log that a reader holds at the
    // other's, where a held file keeps its name until closed: the installer writes
    // only into new files of ours, held open while it logs.
    os.files.links[u"C:\\T\\Suite 2008.log"] = u"C:\\Windows\\win.ini";
    os.files.contents[u"C:\\Windows\\win.ini"] = fake::Bytes("[fonts]");
    os.files.contents[u"C:\\T\\Suite_ A_B.log"] = fake::Bytes("earlier run");
    os.files.posixDelete = false;
    platform::File reader =
        platform::OpenFile(u"C:\\T\\Suite_ A_B.log", platform::FileDisposition::ReadShareRead);
    msi.uiLevel = 5;
    std::vector<std::string> around;  // logging and UI level around each application
    msi.onCall = [&](const std::string& call) {
        const std::string held =
            !msi.logCalls.empty() && fake::IsOpen(msi.logCalls.back().file) ? ", held" : "";
        if (call.rfind("ConfigureProductEx", 0) == 0) {
            around.push_back("apply at UI " + std::to_string(msi.uiLevel) + held);
        } else if (call.rfind("EnableLog", 0) == 0) {
            around.push_back(call + held);
        }
    };

    EXPECT_EQ(RunInstall(), 0u);
    EXPECT_EQ(around, (std::vector<std::string>{
                          "EnableLog 4096 C:\\T\\Suite 2008.log", "apply at UI 35, held",
                          "EnableLog 16384 , held", "EnableLog 4096 C:\\T\\Suite_ A_B.log",
                          "apply at UI 35, held", "EnableLog 16384 , held",
                          "EnableLog 4096 C:\\T\\SUITE 2008 (2).log", "apply at UI 35, held",
                          "EnableLog 16384 , held"}));
    EXPECT_EQ(msi.logCalls[0].attributes, 0u);
    EXPECT_EQ(msi.uiLevel, 5);
    EXPECT_TRUE(os.files.links.empty());
    EXPECT_EQ(os.files.contents[u"C:\\Windows\\win.ini"], fake::Bytes("[fonts]"));
    EXPECT_TRUE(os.files.contents[u"C:\\T\\Suite_ A_B.log"].empty());
    EXPECT_EQ(os.files.contents[u"C:\\T\\Suite_ A_B.log~1"], fake::Bytes("earlier run"));
    reader.Reset();
    EXPECT_EQ(os.files.contents.count(u"C:\\T\\Suite_ A_B.log~1"), 0u);

    // A name that cannot be freed: the product is still patched, logged without a file.
    SetUp();
    AddProduct(u"{A}", u"Alpha");
    os.files.accessDenied.insert(u"C:\\Temp\\Alpha.log");
    EXPECT_EQ(RunInstall(), 0u);
    EXPECT_EQ(Configured(), Codes{u"{A}"});
    EXPECT_EQ(msi.logCalls[0].file, u"");
}

TEST_F(DriverTest, UpToDateTargetIsPassedOverAndTheEndMessageSumsUpTheOthers)
{
    struct Case {
        const char16_t* alphaVersion;
        const char16_t* betaVersion;  // Beta is German; null: it does not need the patch
        std::uint32_t betaResult;
        Codes configured;
        std::u16string box;
        std::uint32_t boxLocale;
        bool result;
    };
    const Case cases[] = {
        {u"13.3.0.5", u"5.0", 0, {u"{B}"}, u"Das service pack wurde", 1031, true},
        // 301 speaks for a patched product, not for the one passed over.
        {u"5.0", u"13.10.0.0", 0, {u"{A}"}, kInstalled, 1033, true},
        // 306 names the product passed over, though selection looked at Beta last.
        {u"13.3.0.5", nullptr, 0, {}, u"Your version of Alpha is up-to-date", 1033, true},
        {u"13.3.0.5", u"5.0", 1603, {u"{B}"}, u"Das service pack konnte", 1031, false},
        // A failure after a success: no 301.
        {u"5.0", u"5.0", 1603, {u"{A}", u"{B}"}, u"Das service pack konnte", 1031, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.box));
        SetUp();
        AddProduct(u"{A}", u"Alpha", c.alphaVersion);
        fake::Product& beta =
            AddProduct(u"{B}", u"Beta", c.betaVersion ? c.betaVersion : u"5.0", u"1031");
        beta.configureResult = c.betaResult;
        beta.sequenceOrder = c.betaVersion ? 0 : -1;
        EXPECT_EQ(RunInstall() == 0, c.result);
        EXPECT_EQ(Configured(), c.configured);
        ASSERT_NO_FATAL_FAILURE(ExpectOneBox(c.box));
        EXPECT_EQ(os.boxes.shown[0].locale, c.boxLocale);
        ExpectPatchDeleted();
    }
}

TEST_F(DriverTest, RecordSaysWhatWasDecidedForEachProductAndWhy)
{
    const std::u16string record = u"C:\\Work\\run.log";
    record::Open(record);
    os.clock.tickStep = 25;
    ScriptPatch(kPatchPath, u"{A};{B};{C};{D};{E}");
    AddProduct(u"{A}", u"Alpha").configureResult = 3010;
    AddProduct(u"{B}", u"Beta", u"5.0", u"1031").patchStates[u"{P1}"] = 0;
    fake::Product& gamma = AddProduct(u"{C}", u"Gamma");
    gamma.sequenceOrder = -1;
    gamma.contexts = installer::kContextUserUnmanaged;
    AddProduct(u"{D}", u"Delta", u"13.3.0.5").packageProperties.clear();
    AddProduct(u"{E}", u"Epsilon").sequenceResult = errors::kBadConfiguration;
    os.files.accessDenied.insert(u"C:\\Temp\\Alpha.log");
    EXPECT_EQ(RunInstall(), 1610u);  // the failed check outranks the patched product
    record::Close(u"end");

    const std::string alpha = "product {A} \"Alpha\" version \"5.0\", language 1033, per-machine, ";
    const std::string delta = "product {D} \"Delta\" version \"13.3.0.5\", language 1033, ";
    EXPECT_EQ(RecordEvents(record),
              (std::vector<std::string>{
                  "temporary folder: C:\\Temp\\, from the system's fall-back (TMP and TEMP name "
                  "no folder: USERPROFILE or the Windows folder)",
                  "patch {P1}, supersedes {P0}, lists 5 product(s)",
                  alpha + "LOCALEID 1033: lacks the patch: will be patched",
                  "product {B} \"Beta\" version \"5.0\", language 1031, per-machine, LOCALEID "
                  "1031: already has the patch",
                  "product {C} \"Gamma\" version \"5.0\", language 1033, per-user, LOCALEID 1033: "
                  "not applicable: the patch does not apply to it",
                  delta + "per-machine, no LOCALEID: lacks the patch: will be patched",
                  "message 308 shown: " + ToUtf8(os.boxes.shown[0].text),
                  "product {E} \"Epsilon\" version \"5.0\", language 1033, per-machine, LOCALEID "
                  "1033: refused by the installer, a failure of the run: 1610 (text of 1610)",
                  "running applications: none of the watched applications runs",
                  "installed {A} \"Alpha\": log none (5 (text of 5)); command line \"" +
                      ToUtf8(msi.configureCalls[0].commandLine) +
                      "\"; result 3010 (text of 3010); took 25 ms",
                  delta + "per-machine, no LOCALEID: up to date at 13.3.0.5 or later: passed over",
                  "end",
              }));
}

TEST_F(DriverTest, EachFailedStepIsRecordedWithItsError)
{
    const std::u16string record = u"C:\\Work\\run.log";
    struct Case {
        std::function<void()> fault;
        std::string event;
    };
    const Case cases[] = {
        {[&] { os.resources.entries.clear(); },
         "failed: writing and checking the temporary copy of the patch: error 1813 (text of 1813)"},
        {[&] { msi.summaries.clear(); },
         "failed: reading the patch's code and product list: error 110 (text of 110)"},
        {[&] {
             AddProduct(u"{A}", u"Alpha");
             os.processes.running = std::vector<platform::ProcessEntry>{{40, u"plrx.exe"}};
             os.boxes.answers = {kAnswerCancel};
         },
         "failed: closing the running applications: error 1602 (text of 1602)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.event);
        SetUp();
        record::Open(record);
        c.fault();
        RunInstall();
        EXPECT_EQ(RecordEvent(record, "failed:"), c.event);
    }
}

TEST_F(DriverTest, PatchThatCannotBeReadOrAppliedEndsWith300)
{
    os.resources.entries.clear();  // extraction fails: there is no file to delete
    LoadShippedTable("en-US.rc");
    EXPECT_NE(RunInstall(), 0u);
    ExpectOneBox(kFailed);
    EXPECT_TRUE(os.files.deleted.empty());
    EXPECT_TRUE(msi.calls.empty());

    for (const std::uint32_t missing : {installer::kPidRevNumber, installer::kPidTemplate}) {
        SetUp();
        msi.summaries[kPatchPath].properties.erase(missing);
        AddProduct(u"{A}", u"Alpha");
        EXPECT_EQ(RunInstall(), 1620u);
        ExpectOneBox(kFailed + u"1620");  // the package is not the patch it should be
        EXPECT_TRUE(fake::CallsStartingWith("QueryProductState").empty());
        ExpectPatchDeleted();
    }
}

TEST_F(DriverTest, PatchChangedAfterWritingEndsWith300BeforeAnyInstallerCall)
{
    using Files = decltype(fake::FileSystemState::contents);
    const std::pair<void (*)(Files&), std::u16string> cases[] = {
        {[](Files& files) { files[kPatchPath].back() ^= 1; }, u"13"},
        {[](Files& files) { files[kPatchPath].push_back(0); }, u"13"},
        {[](Files& files) { files[kPatchPath].pop_back(); }, u"13"},
        {[](Files& files) { files.erase(kPatchPath); }, u"2"},  // the check cannot open it
    };
    for (const auto& [change, code] : cases) {
        SetUp();
        // Runs again when the written file is opened for the check.
        os.files.beforeCreate = [&](const std::u16string&) {
            if (os.files.contents.count(kPatchPath) != 0) {
                change(os.files.contents);
            }
        };
        EXPECT_EQ(RunInstall(), std::stoul(ToUtf8(code)));
        ExpectOneBox(kFailed + code);
        EXPECT_TRUE(msi.calls.empty());
        ExpectPatchDeleted();
    }
}

TEST_F(DriverTest, CreateThatALinkOnTheWaySentElsewhereIsRemovedAndRefused)
{
    // The temporary folder leads into a namespace where a link of the new file's
    // name points anywhere; the create itself cannot tell, and no form of the final
    // path the check falls back to can hide it.
    using platform::PathForm;
    for (const auto& [name, form] :
         {std::pair<std::u16string, PathForm>{u"MSP2", PathForm::Dos}, {u"MSP2", PathForm::Nt},
          {u"MSP2", PathForm::Opened}, {u"Alpha.log", PathForm::Dos},
          {u"Alpha.log", PathForm::Opened}}) {
        SetUp();
        os.files.firstFormAt[u""] = form;
        os.files.links[u"C:\\Temp"] = u"\\RPC Control";
        os.files.links[u"\\RPC Control\\" + name] = u"C:\\Windows\\system.dll";
        ScriptPatch(u"\\\\?\\\\RPC Control\\MSP2", u"{A}");
        AddProduct(u"{A}", u"Alpha");
        const bool patch = name == u"MSP2";
        EXPECT_EQ(RunInstall(), patch ? errors::kAccessDenied : 0u);
        EXPECT_EQ(os.files.contents.count(u"C:\\Temp\\" + name), 0u);
        EXPECT_EQ(Configured(), patch ? Codes{} : Codes{u"{A}"});
        if (patch) {
            ExpectOneBox(kFailed + u"5");
        } else {
            EXPECT_EQ(msi.logCalls[0].file, u"");  // patched, logged without a file
        }
    }
}

TEST_F(DriverTest, PatchCannotBeChangedOrDeletedUntilTheLastInstallerCall)
{
    AddProduct(u"{A}", u"Alpha");
    int changed = 0;
    msi.onCall = [&](const std::string&) {
        changed += platform::OpenFile(kPatchPath, platform::FileDisposition::OpenOrCreate).Valid();
        changed += platform::DeleteFile(kPatchPath);
    };
    EXPECT_EQ(RunInstall(), 0u);
    EXPECT_EQ(msi.configureCalls.size(), 1u);
    EXPECT_EQ(changed, 0);
    EXPECT_EQ(os.files.contents.count(kPatchPath), 0u);
}

TEST_F(DriverTest, CancelledRunningApplicationStopsBeforeInstalling)
{
    // Unseen: no box could be answered, so the check ends the run as Cancel would.
    os.boxes.desktopVisible = false;
    AddProduct(u"{A}", u"Alpha");
    os.processes.running = std::vector<platform::ProcessEntry>{{40, u"plrx.exe"}};
    EXPECT_EQ(RunInstall(), 1602u);
    EXPECT_TRUE(os.boxes.shown.empty());
    EXPECT_TRUE(msi.configureCalls.empty());
    ExpectPatchDeleted();

    for (const bool quiet : {false, true}) {
        SetUp();
        ProcessRunOptions().quiet = quiet;
        AddProduct(u"{A}", u"Alpha");
        os.processes.running = std::vector<platform::ProcessEntry>{{40, u"plrx.exe"}};
        os.boxes.answers = {kAnswerCancel};
        EXPECT_EQ(RunInstall(), 1602u);
        // The check's own box is shown even in quiet mode; 300 is not.
        ASSERT_EQ(os.boxes.shown.size(), quiet ? 1u : 2u);
        EXPECT_EQ(os.boxes.shown[0].flags, kRetryCancelBoxFlags);
        const std::u16string last = quiet ? u"The installer" : kFailed + u"1602";
        EXPECT_EQ(os.boxes.shown.back().text.rfind(last, 0), 0u)
            << ToUtf8(os.boxes.shown.back().text);
        EXPECT_TRUE(msi.configureCalls.empty());
        ExpectPatchDeleted();
    }
}

TEST_F(DriverTest, QuietRunShowsNoMessageButDecidesTheSame)
{
    ProcessRunOptions().quiet = true;
    AddProduct(u"{A}", u"Alpha").configureResult = 1603;
    AddProduct(u"{B}", u"Beta");
    EXPECT_EQ(RunInstall(), 1603u);
    EXPECT_EQ(Configured(), Codes{u"{A}"});
    EXPECT_TRUE(os.boxes.shown.empty());
    ExpectPatchDeleted();

    SetUp();
    ProcessRunOptions().quiet = true;
    EXPECT_EQ(RunInstall(), 1642u);
    EXPECT_TRUE(os.boxes.shown.empty());
    ExpectPatchDeleted();
}

TEST_F(DriverTest, EachProductIsHandledInItsOwnLanguage)
{
    AddProduct(u"{A}", u"Alpha", u"5.0", u"1033");
    AddProduct(u"{B}", u"Beta", u"5.0", u"1031");
    EXPECT_EQ(RunInstall(), 0u);
    ASSERT_EQ(msi.configureCalls.size(), 2u);
    // Selection left the thread German; the first product still gets English.
    EXPECT_NE(msi.configureCalls[0].commandLine.find(kFilesInUse), std::u16string::npos);
    EXPECT_NE(msi.configureCalls[1].commandLine.find(u"Die folgenden Anwendungen sollten"),
              std::u16string::npos);
    ASSERT_NO_FATAL_FAILURE(ExpectOneBox(u"Das service pack wurde erfolgreich installiert."));
    EXPECT_EQ(os.boxes.shown[0].title, u"Installation erfolgreich");
}

}  // namespace

namespace {

TEST_F(DriverTest, InstallerIsGivenTheFullPathOfARelativeTemporaryFile)
{
    // A relative TMP gives a relative name; the service must not resolve it itself.
    // Nor follow the link on the way, which the user may switch once it was checked.
    // Only a file without a final path with a drive letter goes by the name it was
    // made under, which the check compares with its folder's in a form both have.
    using platform::PathForm;
    const std::tuple<std::u16string, PathForm, std::u16string> cases[] = {
        {u"", PathForm::Dos, u"D:\\real\\MSP2"},
        {u"D:\\real\\MSP2", PathForm::Nt, u"C:\\Work\\tmp\\MSP2"},  // its folder has one
        {u"D:", PathForm::Nt, u"C:\\Work\\tmp\\MSP2"},                // a volume without a letter
        {u"D:", PathForm::Opened, u"C:\\Work\\tmp\\MSP2"},  // a folder on the way unreadable
    };
    for (const auto& [start, form, handedOn] : cases) {
        SetUp();
        os.files.firstFormAt[start] = form;
        os.files.directories.insert(u"tmp");
        os.environment.variables[u"TMP"] = u"tmp";
        os.files.links[u"C:\\Work\\tmp"] = u"D:\\real";
        ScriptPatch(handedOn, u"{A}");
        AddProduct(u"{A}", u"Alpha");
        EXPECT_EQ(RunInstall(), 0u);
        ASSERT_EQ(msi.configureCalls.size(), 1u);
        EXPECT_EQ(msi.configureCalls[0].commandLine.rfind(u"PATCH=\"" + handedOn + u"\"", 0), 0u);
        EXPECT_EQ(fake::CallsStartingWith("DeterminePatchSequence").size(), 1u);
        EXPECT_NE(fake::CallsStartingWith("DeterminePatchSequence")[0].find(ToUtf8(handedOn)),
                  std::string::npos);
        EXPECT_EQ(os.files.deleted, std::vector<std::u16string>{u"tmp\\MSP2"});
    }
}

}  // namespace

namespace {

// The installer reads PATCH as a list of files: a folder name cannot make it two.
TEST_F(DriverTest, PatchPathWithASemicolonOrQuoteGoesShortOrToTheNextTemporaryFolder)
{
    struct Case {
        std::u16string folder;
        std::u16string shortForm;  // empty: none
        std::u16string handedOn;
    };
    const Case cases[] = {
        {u"C:\\a;b", u"C:\\AB~1", u"C:\\AB~1\\MSP2"},
        {u"C:\\a\"b", u"", u"C:\\Temp\\MSP3"},
        {u"C:\\a;b", u"C:\\A;B~1", u"C:\\Temp\\MSP3"},  // a short form no better
    };
    for (const Case& c : cases) {
        SetUp();
        os.files.directories.insert(c.folder);
        os.environment.variables[u"TMP"] = c.folder;
        if (!c.shortForm.empty()) {
            os.files.shortNames[c.folder + u"\\MSP2"] = c.shortForm + u"\\MSP2";
        }
        ScriptPatch(c.handedOn, u"{A}");
        AddProduct(u"{A}", u"Alpha");
        EXPECT_EQ(RunInstall(), 0u) << ToUtf8(c.folder);
        ASSERT_EQ(msi.configureCalls.size(), 1u);
        EXPECT_EQ(msi.configureCalls[0].commandLine.rfind(u"PATCH=\"" + c.handedOn + u"\"", 0),
                  0u);
        // The passed-over copy is gone too.
        EXPECT_EQ(os.files.contents.count(c.folder + u"\\MSP2") +
                  os.files.contents.count(u"C:\\Temp\\MSP3"), 0u);
    }

    // No folder of the order gives a usable name: nothing reaches the installer.
    SetUp();
    os.files.directories = {u"C:\\a;b", u"C:\\w;x", u"."};
    os.environment.variables[u"TMP"] = u"C:\\a;b";
    os.environment.tempPath = u"C:\\a;b\\";
    os.files.currentDirectory = u"C:\\w;x";
    EXPECT_EQ(RunInstall(), 123u);
    ExpectOneBox(kFailed + u"123");
    EXPECT_TRUE(msi.calls.empty());
    EXPECT_TRUE(os.files.contents.empty());
}

// Another file put where the checked one was, between the check and an installer
// call that opens it by name, is refused before that call.
TEST_F(DriverTest, PatchReplacedUnderItsNameIsRefusedBeforeTheNextInstallerCall)
{
    const std::pair<std::string, std::string> cases[] = {
        {"SummaryInfoGetProperty 9", "GetSummaryInformation"},  // the second summary read
        {"QueryProductState", "DeterminePatchSequence"},
        {"DeterminePatchSequence", "ConfigureProductEx"},
    };
    for (const auto& [after, refused] : cases) {
        SetUp();
        AddProduct(u"{A}", u"Alpha");
        msi.onCall = [&](const std::string& call) {
            if (call.rfind(after, 0) == 0) {
                os.files.fileIndex[kPatchPath] = 7;
            }
        };
        EXPECT_EQ(RunInstall(), 13u) << after;
        ExpectOneBox(kFailed + u"13");
        const std::size_t expected = refused == "GetSummaryInformation" ? 1 : 0;
        EXPECT_EQ(fake::CallsStartingWith(refused).size(), expected) << after;
        ExpectPatchDeleted();
    }
}

// One run at a time: a second waits a minute for the first, then gives up with 1618.
TEST_F(DriverTest, RunLockIsHeldUntilTheInstallsAreDoneAndAnotherRunsHoldEndsIt)
{
    const std::u16string global = u"Global\\ServicePackRun-5E0C7A41-93D2-4F8B-A6E1-2C7B0D9F3E58";
    const std::u16string local = u"Local\\ServicePackRun-5E0C7A41-93D2-4F8B-A6E1-2C7B0D9F3E58";
    for (const bool quiet : {false, true}) {
        SetUp();
        ProcessRunOptions().quiet = quiet;
        AddProduct(u"{A}", u"Alpha");
        os.mutexes.heldElsewhere.insert(global);
        EXPECT_EQ(RunInstall(), 1618u);
        EXPECT_EQ(os.mutexes.waits, (decltype(os.mutexes.waits){{global, 60000u}}));
        if (quiet) {
            EXPECT_TRUE(os.boxes.shown.empty());
        } else {
            ExpectOneBox(kFailed + u"1618");
        }
        EXPECT_TRUE(msi.calls.empty());
        EXPECT_TRUE(os.files.contents.empty() && os.files.deleted.empty());  // not even a copy made
    }

    // Taken (in the session when the machine's namespace is refused, or from a
    // killed holder) before anything reaches the installer, released at the end.
    const std::pair<bool, bool> refusedAbandoned[] = {{false, false}, {true, false}, {false, true}};
    for (const auto& [refused, abandoned] : refusedAbandoned) {
        SetUp();
        AddProduct(u"{A}", u"Alpha");
        if (refused) {
            os.mutexes.refused.insert(global);
        }
        if (abandoned) {
            os.mutexes.abandoned.insert(global);
        }
        const std::u16string name = refused ? local : global;
        std::vector<bool> heldAtCall;
        msi.onCall = [&](const std::string&) {
            heldAtCall.push_back(os.mutexes.owned.count(name));
        };
        // A closing box left open holds off no one.
        os.boxes.onBox = [&](const fake::Box&) { EXPECT_TRUE(os.mutexes.owned.empty()); };
        EXPECT_EQ(RunInstall(), 0u);
        EXPECT_EQ(Configured(), Codes{u"{A}"});
        EXPECT_EQ(std::count(heldAtCall.begin(), heldAtCall.end(), false), 0);
        ASSERT_NO_FATAL_FAILURE(ExpectOneBox(kInstalled));
    }
}

}  // namespace
