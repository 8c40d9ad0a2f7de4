#include "install/uninstall.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "common/text.h"
#include "doubles/fake_installer.h"
#include "doubles/fake_platform.h"
#include "doubles/process_reset.h"
#include "platform/processes.h"
#include "record/record.h"
#include "ui/message_ids.h"
#include "unit/record/record_lines.h"
#include "unit/ui/string_tables.h"

namespace {

const std::u16string kPatch = u"{1AF93413-BCC5-429E-BC11-49F6E05DF127}";
const std::u16string kRemoved = u"The service pack has been successfully removed.";
const std::u16string kFailed = u"A problem prevented the service pack from being removed.";
const std::u16string kNothing = u"The service pack is not installed on this computer";
const std::u16string kNotRemovable = u"The service pack cannot be removed from Beta";

class Uninstall : public ::testing::Test {
public:
    void SetUp() override
    {
        fake::ResetProcess();
        LoadShippedTable("en-US.rc");
        os.resources.entries.push_back({u"MSP", u"IDR_MSP", 1046, {0xD0, 0xCF, 1, 2}, false});
        msi.summaries[u"C:\\Temp\\MSP2"].properties = {
            {installer::kPidRevNumber, {kPatch + u"{2BA07CEB-6443-4DD5-B1E9-56475CBF5421}"}},
            {installer::kPidTemplate, {u"{A};{B}"}}};
    }

    // A product that has the patch registered in the given state ("" : not at all).
    fake::Product& AddProduct(const std::u16string& code, const std::u16string& name,
                              const std::u16string& state)
    {
        fake::Product& product = msi.products[code];
        product.info = {{u"ProductName", name}, {u"Language", u"1033"},
                        {u"VersionString", u"13.0"}};
        product.packageProperties[u"LOCALEID"] = u"1033";
        if (!state.empty()) {
            product.patchStates[kPatch] = 0;
            product.patchState = state;
        }
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

    fake::InstallerState& msi = fake::Installer();
    fake::PlatformState& os = fake::Platform();
};

using Codes = std::vector<std::u16string>;

TEST_F(Uninstall, RemovesFromEachProductThatHasThePatchOnceEachMayLoseIt)
{
    struct Case {
        std::function<void(Uninstall&)> machine;
        Codes configured;
        std::uint32_t exitCode;
        std::u16string box;
    };
    const Case cases[] = {
        {[](Uninstall&) {}, {}, 0, kNothing},
        {[](Uninstall& t) { t.AddProduct(u"{A}", u"Alpha", u""); }, {}, 0, kNothing},
        // Applied, superseded and obsoleted are taken back; merely registered is not.
        {[](Uninstall& t) {
             t.AddProduct(u"{A}", u"Alpha", u"1");
             t.AddProduct(u"{B}", u"Beta", u"2");
         },
         {u"{A}", u"{B}"}, 0, kRemoved},
        {[](Uninstall& t) {
             t.AddProduct(u"{A}", u"Alpha", u"4");
             t.AddProduct(u"{B}", u"Beta", u"8");
         },
         {u"{A}"}, 0, kRemoved},
        // One product that may not lose it: nothing is removed from any.
        {[](Uninstall& t) {
             t.AddProduct(u"{A}", u"Alpha", u"1");
             t.AddProduct(u"{B}", u"Beta", u"1").uninstallable = u"0";
         },
         {}, 1646, kNotRemovable},
        {[](Uninstall& t) {
             t.AddProduct(u"{A}", u"Alpha", u"1");
             t.AddProduct(u"{B}", u"Beta", u"1").patchInfoErrors[u"State"] = 1618;
         },
         {}, 1618, kFailed},
        // Success with the patch still registered, as Wine answers, is a failure.
        {[](Uninstall& t) {
             t.AddProduct(u"{A}", u"Alpha", u"1").removesPatch = false;
             t.AddProduct(u"{B}", u"Beta", u"1");
         },
         {u"{A}"}, 1603, kFailed},
        {[](Uninstall& t) {
             t.AddProduct(u"{A}", u"Alpha", u"1").configureResult = 1625;
             t.AddProduct(u"{B}", u"Beta", u"1");
         },
         {u"{A}"}, 1625, kFailed},
        {[](Uninstall& t) {
             t.AddProduct(u"{A}", u"Alpha", u"1").configureResult = 1641;
             t.AddProduct(u"{B}", u"Beta", u"1").configureResult = 3010;
         },
         {u"{A}", u"{B}"}, 1641, kRemoved},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        SetUp();
        c.machine(*this);
        os.processes.running = std::vector<platform::ProcessEntry>{{40, u"plrx.exe"}};
        os.boxes.answers = {kAnswerRetry};
        // Closed once the user was asked.
        os.processes.beforeSnapshot = [&](int n) {
            if (n > 1) {
                os.processes.running = std::vector<platform::ProcessEntry>{};
            }
        };
        EXPECT_EQ(RunUninstall(), c.exitCode);
        EXPECT_EQ(Configured(), c.configured);
        ASSERT_FALSE(os.boxes.shown.empty());
        EXPECT_EQ(os.boxes.shown.back().text.rfind(c.box, 0), 0u)
            << ToUtf8(os.boxes.shown.back().text);
        // Watched applications are asked about only when something will be removed.
        EXPECT_EQ(os.processes.snapshots > 0, !c.configured.empty());
        EXPECT_EQ(os.files.contents.count(u"C:\\Temp\\MSP2"), 0u);
        EXPECT_EQ(os.boxes.shown.back().text.find(u"restart") != std::u16string::npos,
                  c.exitCode == 1641);
    }
}

TEST_F(Uninstall, EachRemovalIsLoggedUnderBasicUiWithTheCommandLineOfARemoval)
{
    const std::u16string record = u"C:\\Work\\run.log";
    record::Open(record);
    AddProduct(u"{A}", u"Alpha", u"1");
    std::vector<std::string> around;
    msi.onCall = [&](const std::string& call) {
        if (call.rfind("ConfigureProductEx", 0) == 0) {
            around.push_back("apply at UI " + std::to_string(msi.uiLevel));
        } else if (call.rfind("EnableLog", 0) == 0) {
            around.push_back(call);
        }
    };
    EXPECT_EQ(RunUninstall(), 0u);
    ASSERT_EQ(msi.configureCalls.size(), 1u);
    EXPECT_EQ(msi.configureCalls[0].commandLine,
              u"MSIPATCHREMOVE=" + kPatch + u" LOCALEID=1033 REBOOT=ReallySuppress");
    EXPECT_EQ(around, (std::vector<std::string>{"EnableLog 4096 C:\\Temp\\Alpha removal.log",
                                                "apply at UI 35", "EnableLog 16384 "}));
    EXPECT_EQ(RecordEvent(record, "removal from {A}").rfind(
                  "removal from {A} \"Alpha\": log C:\\Temp\\Alpha removal.log; command line", 0),
              0u);
    EXPECT_NE(RecordEvent(record, "product {A}").find("has the patch: will be removed (state 1)"),
              std::string::npos);

    // A patch code that is no GUID could carry properties of its own onto the line.
    SetUp();
    msi.summaries[u"C:\\Temp\\MSP2"].properties[installer::kPidRevNumber] = {
        u"{X REMOVE=ALL}"};
    AddProduct(u"{A}", u"Alpha", u"1");
    msi.products[u"{A}"].patchStates[u"{X REMOVE=ALL}"] = 0;
    os.processes.running = std::vector<platform::ProcessEntry>{{40, u"plrx.exe"}};
    EXPECT_EQ(RunUninstall(), 1639u);
    EXPECT_TRUE(msi.configureCalls.empty());
    EXPECT_EQ(os.processes.snapshots, 0);
}

}  // namespace
