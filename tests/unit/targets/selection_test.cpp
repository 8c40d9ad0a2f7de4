#include "targets/selection.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/run_state.h"
#include "common/text.h"
#include "doubles/fake_installer.h"
#include "doubles/fake_platform.h"
#include "doubles/process_reset.h"
#include "common/error_codes.h"
#include "record/record.h"
#include "targets/target_product.h"
#include "ui/message_ids.h"
#include "unit/record/record_lines.h"

namespace {

const std::u16string kPatchPath = u"C:\\Temp\\MSP2";
const std::u16string kPatch = u"{P1}";
const std::u16string kPatchCode = u"{P1}{P2}{P3}";  // own code, then superseded ones

class SelectionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fake::ResetProcess();
    }

    fake::Product& AddProduct(const std::u16string& code, const std::u16string& name,
                              const std::u16string& language = u"1033")
    {
        fake::Product& product = msi.products[code];
        product.info = {{u"ProductName", name},
                        {u"Language", language},
                        {u"VersionString", u"5.0.1"},
                        {u"LocalPackage", u"C:\\Windows\\Installer\\" + name + u".msi"}};
        product.packageProperties[u"LOCALEID"] = language;
        return product;
    }

    std::vector<std::u16string> SelectedCodes()
    {
        std::vector<std::u16string> codes;
        for (std::size_t i = 0; i < ProcessTargetList().Count(); ++i) {
            codes.push_back(ProcessTargetList().At(i).ProductCode);
        }
        return codes;
    }

    int Select(const std::u16string& productList)
    {
        return SelectTargets(kPatchPath, kPatchCode, productList).present;
    }

    fake::InstallerState& msi = fake::Installer();
    fake::PlatformState& os = fake::Platform();
};

using Codes = std::vector<std::u16string>;

TEST_F(SelectionTest, ProductsAreTakenInListOrderWithOrWithoutTrailingSeparator)
{
    for (const std::u16string list : {u"{B};{A}", u"{B};{A};"}) {
        SetUp();
        AddProduct(u"{A}", u"Alpha");
        AddProduct(u"{B}", u"Beta");
        EXPECT_EQ(Select(list), 2);
        EXPECT_EQ(SelectedCodes(), (Codes{u"{B}", u"{A}"}));
    }

    SetUp();
    AddProduct(u"{A}", u"Alpha");
    EXPECT_EQ(Select(u"{A}"), 1);
    EXPECT_EQ(SelectedCodes(), Codes{u"{A}"});
}

TEST_F(SelectionTest, WalkEndsAtTheFirstEmptyElement)
{
    AddProduct(u"{A}", u"Alpha");
    AddProduct(u"{B}", u"Beta");
    AddProduct(u"A", u"Single");

    EXPECT_EQ(Select(u"A"), 0);  // one character: no separator added, none found
    EXPECT_EQ(Select(u";{A};"), 0);
    EXPECT_EQ(Select(u""), 0);
    EXPECT_TRUE(msi.calls.empty());

    EXPECT_EQ(Select(u"{A};;{B};"), 1);
    EXPECT_EQ(fake::CallsStartingWith("QueryProductState"),
              std::vector<std::string>{"QueryProductState {A}"});
    EXPECT_EQ(SelectedCodes(), Codes{u"{A}"});
}

TEST_F(SelectionTest, ProductIsInspectedThenSequencedThenCheckedForThePatch)
{
    AddProduct(u"{A}", u"Alpha");
    msi.products[u"{A}"].state = installer::kStateAdvertised;
    EXPECT_EQ(Select(u"{A};"), 1);
    EXPECT_EQ(msi.calls, (std::vector<std::string>{
                             "QueryProductState {A}",
                             "GetProductInfo {A} VersionString",
                             "GetProductInfo {A} LocalPackage",
                             "GetProductInfo {A} ProductName",
                             "GetProductInfo {A} Language",
                             "SetInternalUI 2",
                             "OpenProduct {A}",
                             "GetProperty {A} LOCALEID",
                             "CloseHandle product {A}",
                             "SetInternalUI 1",
                             "EnumProducts {A} 0",
                             "EnumProducts {A} 1",
                             "DeterminePatchSequence {A} 4 C:\\Temp\\MSP2",
                             "GetPatchState {P1} {A} 4",
                         }));

    ASSERT_EQ(ProcessTargetList().Count(), 1u);
    const TargetProduct& target = ProcessTargetList().At(0);
    EXPECT_EQ(target.ProductName, u"Alpha");
    EXPECT_EQ(target.Language, u"1033");
    EXPECT_EQ(target.VersionString, u"5.0.1");
    EXPECT_EQ(target.LocalPackage, u"C:\\Windows\\Installer\\Alpha.msi");
    EXPECT_EQ(target.LocaleId, u"1033");
    EXPECT_EQ(target.CommandLine, u"");
}

TEST_F(SelectionTest, ProductIsAskedAboutInTheContextTheInstallerActsOn)
{
    // Managed per-user, then unmanaged per-user, then the machine; none found: the machine.
    const std::vector<std::pair<std::uint32_t, std::uint32_t>> cases = {
        {4, 4}, {2, 2}, {1, 1}, {2 | 4, 2}, {1 | 2 | 4, 1}, {0, 4}};
    for (const auto& [contexts, used] : cases) {
        for (const bool wine : {false, true}) {
            SCOPED_TRACE(contexts + 8 * wine);
            SetUp();
            msi.filteredEnumFindsNothing = wine;
            AddProduct(u"{A}", u"Alpha").contexts = contexts;
            AddProduct(u"{B}", u"Beta").contexts = 1 | 2;  // not listed: its contexts do not count
            Select(u"{A}");
            const std::string context = " " + std::to_string(used);
            const std::size_t found = contexts != 0 ? 1 : 0;  // else 308, from the machine
            EXPECT_EQ(fake::CallsStartingWith("DeterminePatchSequence {A}" + context + " C:").size(),
                      1u);
            EXPECT_EQ(fake::CallsStartingWith("GetPatchState {P1} {A}" + context).size(), found);
            EXPECT_EQ(SelectedCodes().size(), found);
        }
    }
}

TEST_F(SelectionTest, ListedProductsOfOtherUsersAreRecordedAsUnreachable)
{
    const std::u16string record = u"C:\\Work\\run.log";
    const std::u16string other = u"S-1-5-21-7-8-9-1002";
    msi.allUsersInstances = {{u"{A}", other, installer::kContextUserUnmanaged},
                             {u"{A}", os.account.sid, installer::kContextUserUnmanaged},
                             {u"{B}", other, installer::kContextUserManaged}};
    AddProduct(u"{B}", u"Beta");
    // Asked only while a record is kept: the question walks every user's products.
    Select(u"{A};{B}");
    EXPECT_TRUE(fake::CallsStartingWith("EnumProductsOfAllUsers").empty());

    record::Open(record);
    Select(u"{A};{B}");
    record::Close(u"end");
    EXPECT_EQ(RecordEvents(record),
              (std::vector<std::string>{
                  "product {A} is installed per-user for user S-1-5-21-7-8-9-1002: not reachable "
                  "from this account",
                  "product {B} \"Beta\" version \"5.0.1\", language 1033, per-machine, LOCALEID "
                  "1033: lacks the patch: will be patched",
                  "end"}));

    // An account that may not look at other users' products records none.
    msi.allUsersError = errors::kAccessDenied;
    record::Open(record);
    Select(u"{A}");
    record::Close(u"end");
    EXPECT_EQ(RecordEvents(record).size(), 4u);
}

TEST_F(SelectionTest, LocaleIdComesFromTheOpenedPackageOnly)
{
    AddProduct(u"{A}", u"Alpha").openError = 1619;
    AddProduct(u"{B}", u"Beta").packageProperties.clear();
    EXPECT_EQ(Select(u"{A};{B}"), 2);
    ASSERT_EQ(ProcessTargetList().Count(), 2u);
    EXPECT_EQ(ProcessTargetList().At(0).LocaleId, u"0");
    EXPECT_EQ(ProcessTargetList().At(1).LocaleId, u"");
}

TEST_F(SelectionTest, RefusalsAreSilentButCounted)
{
    AddProduct(u"{absent}", u"Gone").state = 2;
    AddProduct(u"{n/a}", u"Other").sequenceOrder = -1;
    AddProduct(u"{has}", u"Patched").patchStates[kPatch] = 0;
    AddProduct(u"{needs}", u"Needs");
    EXPECT_EQ(Select(u"{absent};{unknown};{n/a};{has};{needs}"), 3);
    EXPECT_EQ(SelectedCodes(), Codes{u"{needs}"});
    EXPECT_TRUE(os.boxes.shown.empty());
    // Only the leading GUID of the patch code names the patch.
    for (const auto& call : fake::CallsStartingWith("GetPatchState")) {
        EXPECT_EQ(call.rfind("GetPatchState {P1} {", 0), 0u) << call;
    }
    EXPECT_EQ(CurrentProductName(), u"Needs");
}

TEST_F(SelectionTest, EachSequencingErrorIsReportedInTheProductsLanguage)
{
    fake::AddStringTable(1031, {{msg::kNotDesignedFor, u"%s passt nicht zu %s."},
                                {msg::kTitleError, u"Fehler"}});
    AddProduct(u"{A}", u"Alpha", u"1031").sequenceResult = 1610;
    AddProduct(u"{B}", u"Beta", u"1031").sequenceStatus = 1642;
    AddProduct(u"{C}", u"Gamma");
    EXPECT_EQ(Select(u"{A};{B};{C}"), 3);
    EXPECT_EQ(SelectedCodes(), Codes{u"{C}"});

    ASSERT_EQ(os.boxes.shown.size(), 2u);
    EXPECT_EQ(os.boxes.shown[0].text, u"service pack passt nicht zu Alpha.");
    EXPECT_EQ(os.boxes.shown[1].text, u"service pack passt nicht zu Beta.");
    for (const auto& box : os.boxes.shown) {
        EXPECT_EQ(box.title, u"Fehler");
        EXPECT_EQ(box.flags, kErrorBoxFlags);
        EXPECT_EQ(box.locale, 1031u);
    }
    EXPECT_TRUE(fake::CallsStartingWith("GetPatchState {P1} {A}").empty());
}

TEST_F(SelectionTest, OnlyAPatchThatDoesNotApplyIsNotApplicableAnyOtherRefusalIsAFailure)
{
    struct Row {
        std::uint32_t result, status;
        std::int32_t order;
        int boxes;
        std::uint32_t failure;
    };
    const std::vector<std::vector<Row>> cases = {
        {{0, 0, -1, 0, 0}},      // does not apply: silent
        {{0, 1642, -1, 1, 0}},   // does not apply: 308
        {{1610, 0, 0, 1, 1610}},  // a broken cached package, a broken or busy service
        {{1642, 0, 0, 1, 1642}},
        {{0, 1627, 0, 1, 1627}},
        {{1601, 0, 0, 1, 1601}, {1627, 0, 0, 1, 1601}},  // the first failure
        {{1601, 0, 0, 1, 1601}, {1618, 0, 0, 1, 1618}, {0, 1610, 0, 1, 1618}},
    };
    for (const auto& rows : cases) {
        SetUp();
        std::u16string list;
        int boxes = 0;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const std::u16string code = u"{" + ToDecimal(i) + u"}";
            fake::Product& product = AddProduct(code, u"Alpha");
            product.sequenceResult = rows[i].result;
            product.sequenceStatus = rows[i].status;
            product.sequenceOrder = rows[i].order;
            list += code + u";";
            boxes += rows[i].boxes;
        }
        const SelectionCounts counts = SelectTargets(kPatchPath, kPatchCode, list);
        SCOPED_TRACE(counts.failure);
        EXPECT_EQ(counts.failure, rows.back().failure);
        EXPECT_EQ(counts.refused, boxes);
        EXPECT_EQ(static_cast<int>(os.boxes.shown.size()), boxes);
        EXPECT_TRUE(SelectedCodes().empty());
    }
}

TEST_F(SelectionTest, ThreadLocaleIsTheLanguageReadAsADecimalNumber)
{
    AddProduct(u"{A}", u"Alpha", u" +1036x");
    AddProduct(u"{B}", u"Beta", u"none");
    AddProduct(u"{C}", u"Gamma").infoErrors[u"Language"] = 1608;
    AddProduct(u"{D}", u"Delta", u"1041");
    Select(u"{A};{B};{C};{D};{absent}");
    EXPECT_EQ(os.thread.localesSet, (std::vector<std::uint32_t>{1036, 0, 0, 1041}));
}

TEST(LeadingPatchCode, IsTheTextUpToTheFirstClosingBrace)
{
    EXPECT_EQ(LeadingPatchCode(u"{P1}{P2}{P3}"), u"{P1}");
    EXPECT_EQ(LeadingPatchCode(u"{P1"), u"{P1");
    EXPECT_EQ(LeadingPatchCode(u""), u"");
}

}  // namespace
