#include "common/error_codes.h"
#include "payload/summary.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "doubles/fake_installer.h"
#include "doubles/fake_platform.h"

namespace {

const std::u16string kPatchPath = u"C:\\Temp\\MSP2";
const std::u16string kGuid = u"{0C2A5F6E-3B1D-4E7A-9C8B-1F2E3D4C5B6A}";  // 38 units

class SummaryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fake::ResetPlatform();
        fake::ResetInstaller();
    }

    void Put(std::uint32_t property, const std::u16string& value,
             std::uint32_t dataType = installer::kVtText, const std::u16string& path = kPatchPath)
    {
        msi.summaries[path].properties[property] = fake::SummaryProperty{value, dataType};
    }

    std::vector<std::string> PropertyCalls() const
    {
        return fake::CallsStartingWith("SummaryInfoGetProperty");
    }

    // Every handle opened was closed exactly once.
    void ExpectHandlesBalanced(int opened) const
    {
        EXPECT_EQ(msi.handlesOpened, opened);
        EXPECT_EQ(msi.handlesClosed, opened);
        EXPECT_EQ(msi.invalidCloses, 0);
        EXPECT_EQ(fake::OpenHandles(), 0);
    }

    fake::InstallerState& msi = fake::Installer();
};

TEST_F(SummaryTest, EitherValueIsReadWhole)
{
    // 84 product codes: the size of the shipped patch's list.
    std::u16string codes;
    for (int i = 0; i < 84; ++i) {
        codes += (i == 0 ? u"" : u";") + kGuid;
    }
    ASSERT_EQ(codes.size(), 3275u);

    using Reader = bool (*)(std::u16string, std::u16string&);
    const std::pair<std::uint32_t, Reader> readers[] = {
        {installer::kPidTemplate, &ReadPatchTemplate}, {installer::kPidRevNumber, &ReadPatchCode}};
    for (const auto& [property, read] : readers) {
        SetUp();
        Put(property, codes);
        std::u16string out = u"previous";
        ASSERT_TRUE(read(kPatchPath, out));
        EXPECT_EQ(out, codes);
        EXPECT_EQ(PropertyCalls().size(), 1u);
        ExpectHandlesBalanced(1);
    }
}

TEST_F(SummaryTest, ValueTheInstallerCannotHandOverFailsWithItsCode)
{
    Put(installer::kPidTemplate, kGuid);
    msi.summaries[kPatchPath].properties[installer::kPidTemplate].readError = errors::kMoreData;
    std::u16string productList = u"previous";
    EXPECT_FALSE(ReadPatchTemplate(kPatchPath, productList));
    EXPECT_EQ(productList, u"previous");
    EXPECT_EQ(fake::Platform().thread.lastError, errors::kMoreData);  // for message 300
    ExpectHandlesBalanced(1);
}

TEST_F(SummaryTest, PackageThatCannotBeOpenedLeavesOutputsAlone)
{
    std::u16string productList = u"fallback";
    std::u16string patchCode = u"fallback";
    EXPECT_FALSE(ReadPatchTemplate(u"C:\\Temp\\missing.msp", productList));
    EXPECT_FALSE(ReadPatchCode(u"C:\\Temp\\missing.msp", patchCode));

    msi.summaries[kPatchPath].openError = 1620;  // not a package
    EXPECT_FALSE(ReadPatchTemplate(kPatchPath, productList));
    EXPECT_EQ(fake::Platform().thread.lastError, 1620u);  // for message 300

    EXPECT_EQ(productList, u"fallback");
    EXPECT_EQ(patchCode, u"fallback");
    EXPECT_TRUE(PropertyCalls().empty());
    ExpectHandlesBalanced(0);
}

TEST_F(SummaryTest, RelativePathIsResolvedAgainstTheCurrentDirectory)
{
    Put(installer::kPidTemplate, kGuid, installer::kVtText, u"C:\\Work\\demo.msp");
    const std::u16string relative = u"demo.msp";
    std::u16string productList;
    ASSERT_TRUE(ReadPatchTemplate(relative, productList));
    EXPECT_EQ(productList, kGuid);
    EXPECT_EQ(relative, u"demo.msp");
    EXPECT_EQ(fake::CallsStartingWith("GetSummaryInformation"),
              std::vector<std::string>{"GetSummaryInformation C:\\Work\\demo.msp"});
}

TEST_F(SummaryTest, FullPathThatDoesNotFitNeverReachesTheInstaller)
{
    // "C:\" plus a name: 259 units fit the 260-unit buffer with the terminator, 260 do not.
    const std::u16string fits = u"C:\\" + std::u16string(256, u'a');
    const std::u16string tooLong = fits + u"a";
    Put(installer::kPidTemplate, kGuid, installer::kVtText, fits);
    Put(installer::kPidTemplate, kGuid, installer::kVtText, tooLong);

    std::u16string productList;
    EXPECT_TRUE(ReadPatchTemplate(fits, productList));
    msi.calls.clear();
    productList = u"fallback";
    EXPECT_FALSE(ReadPatchTemplate(tooLong, productList));
    EXPECT_FALSE(OpenPatchSummary(tooLong));

    fake::Platform().files.fullPathFails = true;
    EXPECT_FALSE(ReadPatchTemplate(fits, productList));

    EXPECT_EQ(productList, u"fallback");
    EXPECT_TRUE(msi.calls.empty());
}

TEST_F(SummaryTest, PropertyThatIsNotTextOrAbsentYieldsFalse)
{
    Put(installer::kPidRevNumber, u"ignored", fake::kVtInteger);
    std::u16string productList = u"fallback";
    std::u16string patchCode = u"fallback";
    EXPECT_FALSE(ReadPatchCode(kPatchPath, patchCode));
    EXPECT_FALSE(ReadPatchTemplate(kPatchPath, productList));  // absent
    EXPECT_EQ(patchCode, u"fallback");
    EXPECT_EQ(productList, u"fallback");
    ExpectHandlesBalanced(2);
}

}  // namespace
