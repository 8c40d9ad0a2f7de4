#include "install/driver.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
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
        os.resources.push_back({u"MSP", u"IDR_MSP", 1046, {0xD0, 0xCF, 1, 2}, false});
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
        ASSERT_EQ(os.boxes.size(), 1u);
        EXPECT_EQ(os.boxes[0].text.substr(0, start.size()), start) << ToUtf8(os.boxes[0].text);
    }

    // The temporary patch is gone, and was removed exactly once.
    void ExpectPatchDeleted() const
    {
        EXPECT_EQ(os.deleted, std::vector<std::u16string>{kPatchPath});
        EXPECT_EQ(os.files.count(kPatchPath), 0u);
    }

    fake::InstallerState& msi = fake::Installer();
    fake::PlatformState& os = fake::Platform();
};

using Codes = std::vector<std::u16string>;

TEST_F(DriverTest, NoListedProductChecksApplicationsThenReports307)
{
    std::vector<std::size_t> boxesAtSnapshot;
    os.beforeSnapshot = [&](int) { boxesAtSnapshot.push_back(os.boxes.size()); };
    EXPECT_EQ(RunInstall(), 1642u);
    EXPECT_EQ(boxesAtSnapshot, (std::vector<std::size_t>{0, 0}));
    ASSERT_NO_FATAL_FAILURE(ExpectOneBox(kNoProduct));
    EXPECT_EQ(os.boxes[0].locale, 1033u);
    EXPECT_TRUE(msi.configureCalls.empty());
    ExpectPatchDeleted();
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
    }
}

TEST_F(DriverTest, FirstFailureEndsTheLoopWithItsMessage)
{
    const std::pair<std::uint32_t, std::u16string> cases[] = {
        {1603, kFailed + u"1603"},
        {installer::kPackageRejected, u"The update for Alpha was refused by the system policy"},
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
    enum : std::uint32_t { kRefused = 1, kHasPatch, kNotApplicable };  // else a configure result
    const std::u16string refused = u"This service pack could not be installed because it is not";
    const std::u16string restart =
        kInstalled + u"\n\nThe computer must be restarted to complete the installation.";
    using Boxes = std::vector<std::u16string>;
    const std::tuple<std::vector<std::uint32_t>, Boxes, std::uint32_t> cases[] = {
        {{1641, 3010}, {restart}, 1641},
        // The 308 boxes are the whole answer when nothing was patched.
        {{kRefused, kHasPatch}, {refused}, 1642},
        {{kRefused, 0}, {refused, kInstalled}, 0},
        {{kNotApplicable}, {kNoProduct}, 1642},
    };
    for (const auto& [products, boxes, exitCode] : cases) {
        SetUp();
        for (std::size_t i = 0; i < products.size(); ++i) {
            fake::Product& product = AddProduct(i == 0 ? u"{A}" : u"{B}", u"Alpha");
            product.sequenceResult = products[i] == kRefused ? 1603 : 0;
            product.patchStates[u"{P1}"] = products[i] == kHasPatch ? 0 : 1647;
            product.sequenceOrder = products[i] == kNotApplicable ? -1 : 0;
            product.configureResult = products[i] > kNotApplicable ? products[i] : 0;
        }
        EXPECT_EQ(RunInstall(), exitCode);
        ASSERT_EQ(os.boxes.size(), boxes.size());
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            EXPECT_EQ(os.boxes[i].text.substr(0, boxes[i].size()), boxes[i]);
        }
        const bool restarts = os.boxes.back().text.find(u"restart") != std::u16string::npos;
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
    os.tempPath = u"C:\\T\\";
    os.directories.insert(u"C:\\T");
    ScriptPatch(u"C:\\T\\MSP2", u"{A};{B};{C}");
    AddProduct(u"{A}", u"Suite 2008");
    AddProduct(u"{B}", u"Suite: A\\B");
    AddProduct(u"{C}", u"SUITE 2008");  // the same file as the first's log
    // A link planted at one log's name, a stale log that a reader holds at the
    // other's, where a held file keeps its name until closed: the installer writes
    // only into new files of ours, held open while it logs.
    os.links[u"C:\\T\\Suite 2008.log"] = u"C:\\Windows\\win.ini";
    os.files[u"C:\\Windows\\win.ini"] = fake::Bytes("[fonts]");
    os.files[u"C:\\T\\Suite_ A_B.log"] = fake::Bytes("earlier run");
    os.posixDelete = false;
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
    EXPECT_TRUE(os.links.empty());
    EXPECT_EQ(os.files[u"C:\\Windows\\win.ini"], fake::Bytes("[fonts]"));
    EXPECT_TRUE(os.files[u"C:\\T\\Suite_ A_B.log"].empty());
    EXPECT_EQ(os.files[u"C:\\T\\Suite_ A_B.log~1"], fake::Bytes("earlier run"));
    reader.Reset();
    EXPECT_EQ(os.files.count(u"C:\\T\\Suite_ A_B.log~1"), 0u);

    // A name that cannot be freed: the product is still patched, logged without a file.
    SetUp();
    AddProduct(u"{A}", u"Alpha");
    os.accessDenied.insert(u"C:\\Temp\\Alpha.log");
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
        EXPECT_EQ(os.boxes[0].locale, c.boxLocale);
        ExpectPatchDeleted();
    }
}

TEST_F(DriverTest, PatchThatCannotBeReadOrAppliedEndsWith300)
{
    os.resources.clear();  // extraction fails: there is no file to delete
    LoadShippedTable("en-US.rc");
    EXPECT_NE(RunInstall(), 0u);
    ExpectOneBox(kFailed);
    EXPECT_TRUE(os.deleted.empty());
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
    using Files = decltype(fake::PlatformState::files);
    const std::pair<void (*)(Files&), std::u16string> cases[] = {
        {[](Files& files) { files[kPatchPath].back() ^= 1; }, u"13"},
        {[](Files& files) { files[kPatchPath].push_back(0); }, u"13"},
        {[](Files& files) { files[kPatchPath].pop_back(); }, u"13"},
        {[](Files& files) { files.erase(kPatchPath); }, u"2"},  // the check cannot open it
    };
    for (const auto& [change, code] : cases) {
        SetUp();
        // Runs again when the written file is opened for the check.
        os.beforeCreate = [&](const std::u16string&) {
            if (os.files.count(kPatchPath) != 0) {
                change(os.files);
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
    // name points anywhere; the create itself cannot tell.
    for (const std::u16string name : {u"MSP2", u"Alpha.log"}) {
        SetUp();
        os.links[u"C:\\Temp"] = u"\\RPC Control";
        os.links[u"\\RPC Control\\" + name] = u"C:\\Windows\\system.dll";
        ScriptPatch(u"\\\\?\\\\RPC Control\\MSP2", u"{A}");
        AddProduct(u"{A}", u"Alpha");
        const bool patch = name == u"MSP2";
        EXPECT_EQ(RunInstall(), patch ? platform::kErrorAccessDenied : 0u);
        EXPECT_EQ(os.files.count(u"C:\\Temp\\" + name), 0u);
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
    EXPECT_EQ(os.files.count(kPatchPath), 0u);
}

TEST_F(DriverTest, CancelledRunningApplicationStopsBeforeInstalling)
{
    // Unseen: no box could be answered, so the check ends the run as Cancel would.
    os.desktopVisible = false;
    AddProduct(u"{A}", u"Alpha");
    os.processes = std::vector<platform::ProcessEntry>{{40, u"plrx.exe"}};
    EXPECT_EQ(RunInstall(), 1602u);
    EXPECT_TRUE(os.boxes.empty());
    EXPECT_TRUE(msi.configureCalls.empty());
    ExpectPatchDeleted();

    for (const bool quiet : {false, true}) {
        SetUp();
        ProcessRunOptions().quiet = quiet;
        AddProduct(u"{A}", u"Alpha");
        os.processes = std::vector<platform::ProcessEntry>{{40, u"plrx.exe"}};
        os.answers = {kAnswerCancel};
        EXPECT_EQ(RunInstall(), 1602u);
        // The check's own box is shown even in quiet mode; 300 is not.
        ASSERT_EQ(os.boxes.size(), quiet ? 1u : 2u);
        EXPECT_EQ(os.boxes[0].flags, kRetryCancelBoxFlags);
        const std::u16string last = quiet ? u"The installer" : kFailed + u"1602";
        EXPECT_EQ(os.boxes.back().text.rfind(last, 0), 0u) << ToUtf8(os.boxes.back().text);
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
    EXPECT_TRUE(os.boxes.empty());
    ExpectPatchDeleted();

    SetUp();
    ProcessRunOptions().quiet = true;
    EXPECT_EQ(RunInstall(), 1642u);
    EXPECT_TRUE(os.boxes.empty());
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
    EXPECT_EQ(os.boxes[0].title, u"Installation erfolgreich");
}

}  // namespace

namespace {

TEST_F(DriverTest, InstallerIsGivenTheFullPathOfARelativeTemporaryFile)
{
    // A relative TMP gives a relative name; the service must not resolve it itself.
    // Nor follow the link on the way, which the user may switch once it was checked.
    os.directories.insert(u"tmp");
    os.environment[u"TMP"] = u"tmp";
    os.links[u"C:\\Work\\tmp"] = u"D:\\real";
    ScriptPatch(u"D:\\real\\MSP2", u"{A}");
    AddProduct(u"{A}", u"Alpha");
    EXPECT_EQ(RunInstall(), 0u);
    ASSERT_EQ(msi.configureCalls.size(), 1u);
    EXPECT_EQ(msi.configureCalls[0].commandLine.rfind(u"PATCH=\"D:\\real\\MSP2\"", 0), 0u);
    EXPECT_EQ(fake::CallsStartingWith("DeterminePatchSequence").size(), 1u);
    EXPECT_NE(fake::CallsStartingWith("DeterminePatchSequence")[0].find("D:\\real\\MSP2"),
              std::string::npos);
    EXPECT_EQ(os.deleted, std::vector<std::u16string>{u"tmp\\MSP2"});
}

}  // namespace
