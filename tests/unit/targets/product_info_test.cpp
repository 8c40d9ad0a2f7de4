#include "targets/product_info.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "doubles/fake_installer.h"
#include "doubles/fake_platform.h"
#include "doubles/process_reset.h"

namespace {

const std::u16string kProduct = u"{11111111-2222-3333-4444-555555555555}";
const std::string kCode = "{11111111-2222-3333-4444-555555555555}";  // as recorded

class ProductInfoTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fake::ResetProcess();
        Product().info = {{u"ProductName", u"Contoso Writer"},
                        {u"Language", u"1031"},
                        {u"VersionString", u"5.1.2"},
                        {u"LocalPackage", u"C:\\Windows\\Installer\\1a2b.msi"}};
        Product().packageProperties[u"LOCALEID"] = u"1031";
    }

    fake::InstallerState& msi = fake::Installer();
    fake::Product& Product() { return msi.products[kProduct]; }
};

TEST_F(ProductInfoTest, InstalledAndAdvertisedProductsArePresent)
{
    const struct {
        int state;
        bool present;
    } cases[] = {{installer::kStateDefault, true}, {installer::kStateAdvertised, true},
                 {2, false} /* absent */,          {-1, false} /* unknown */,
                 {-2, false} /* invalid arg */,    {0, false} /* broken */,
                 {3, false} /* local */};
    for (const auto& c : cases) {
        Product().state = c.state;
        EXPECT_EQ(IsProductPresent(kProduct), c.present) << "state " << c.state;
    }
    EXPECT_FALSE(IsProductPresent(u"{not-installed}"));
}

TEST_F(ProductInfoTest, VersionAndPackageAreEmptyWhenTheInstallerHasNone)
{
    EXPECT_EQ(GetProductVersion(kProduct), u"5.1.2");
    EXPECT_EQ(GetProductPackage(kProduct), u"C:\\Windows\\Installer\\1a2b.msi");
    EXPECT_EQ(fake::CallsStartingWith("GetProductInfo"),
              (std::vector<std::string>{"GetProductInfo " + kCode + " VersionString",
                                        "GetProductInfo " + kCode + " LocalPackage"}));

    EXPECT_EQ(GetProductVersion(u"{unknown}"), u"");
    Product().info.erase(u"LocalPackage");
    EXPECT_EQ(GetProductPackage(kProduct), u"");
    // Too long for the buffer: the installer leaves a cut-off text, which is not used.
    Product().info[u"VersionString"] = std::u16string(1024, u'9');
    EXPECT_EQ(GetProductVersion(kProduct), u"");
    Product().info[u"VersionString"] = std::u16string(1023, u'9');
    EXPECT_EQ(GetProductVersion(kProduct), std::u16string(1023, u'9'));
}

TEST_F(ProductInfoTest, LocaleIsReadWithTheInstallerUiSwitchedOff)
{
    msi.uiLevel = 5;
    std::u16string name;
    std::u16string language;
    std::u16string localeId = u"0";
    ASSERT_TRUE(GetProductNameLanguageLocale(kProduct, name, language, localeId));
    EXPECT_EQ(name, u"Contoso Writer");
    EXPECT_EQ(language, u"1031");
    EXPECT_EQ(localeId, u"1031");

    EXPECT_EQ(msi.calls, (std::vector<std::string>{
                             "GetProductInfo " + kCode + " ProductName",
                             "GetProductInfo " + kCode + " Language",
                             "SetInternalUI 2",
                             "OpenProduct " + kCode,
                             "GetProperty " + kCode + " LOCALEID",
                             "CloseHandle product " + kCode,
                             "SetInternalUI 5",
                         }));
    EXPECT_EQ(msi.uiLevel, 5);
    EXPECT_EQ(fake::OpenHandles(), 0);
    EXPECT_EQ(msi.invalidCloses, 0);
}

TEST_F(ProductInfoTest, LongNameIsTakenWholeButALongLocaleIsNone)
{
    const std::u16string longName(3000, u'n');
    Product().info[u"ProductName"] = longName;
    Product().packageProperties[u"LOCALEID"] = std::u16string(1024, u'1');
    std::u16string name;
    std::u16string language;
    std::u16string localeId = u"0";
    GetProductNameLanguageLocale(kProduct, name, language, localeId);
    EXPECT_EQ(name, longName);
    EXPECT_EQ(localeId, u"");
}

TEST_F(ProductInfoTest, UnopenablePackageKeepsTheLocaleAndRestoresTheUi)
{
    Product().openError = 1619;
    std::u16string name;
    std::u16string language;
    std::u16string localeId = u"0";
    EXPECT_FALSE(GetProductNameLanguageLocale(kProduct, name, language, localeId));
    EXPECT_EQ(name, u"Contoso Writer");
    EXPECT_EQ(localeId, u"0");
    EXPECT_EQ(msi.uiLevelsSet, (std::vector<int>{installer::kUiLevelNone, 1}));
    EXPECT_EQ(msi.uiLevel, 1);
    EXPECT_EQ(msi.handlesOpened, 0);
}

TEST_F(ProductInfoTest, MissingTextsReadAsEmpty)
{
    Product().packageProperties.clear();
    Product().infoErrors[u"Language"] = 1608;
    std::u16string name;
    std::u16string language = u"stale";
    std::u16string localeId = u"0";
    EXPECT_TRUE(GetProductNameLanguageLocale(kProduct, name, language, localeId));
    EXPECT_EQ(name, u"Contoso Writer");
    EXPECT_EQ(language, u"");  // not the name read just before
    EXPECT_EQ(localeId, u"");
}

TEST_F(ProductInfoTest, InstancesAreWalkedOnceARunWhereAskingByCodeFindsNothing)
{
    const std::u16string other = u"{AAAAAAAA-0000-0000-0000-000000000002}";
    const std::u16string managed = u"{AAAAAAAA-0000-0000-0000-000000000003}";
    const struct {
        const std::u16string& asked;
        std::uint32_t context;
    } present[] = {{kProduct, installer::kContextMachine},
                   {u"{aaaaaaaa-0000-0000-0000-000000000002}", installer::kContextUserUnmanaged},
                   {managed, installer::kContextUserManaged}};
    for (const bool wine : {true, false}) {
        SCOPED_TRACE(wine ? "Wine" : "Windows");
        SetUp();
        msi.filteredEnumFindsNothing = wine;
        msi.products[other].contexts =
            installer::kContextMachine | installer::kContextUserUnmanaged;
        msi.products[managed].contexts = installer::kContextUserManaged;
        msi.products[u"{not listed}"].contexts = installer::kContextMachine;
        const std::size_t instances = 5;

        for (const auto& product : present) {
            EXPECT_EQ(GetProductContext(product.asked), product.context);
        }
        EXPECT_LE(fake::CallsStartingWith("EnumProducts").size(),
                  std::size(present) + instances + 1);

        // A new run asks again: the machine now has the one instance alone.
        fake::ResetProcess();
        msi.filteredEnumFindsNothing = wine;
        msi.products[other].contexts = installer::kContextMachine;
        EXPECT_EQ(GetProductContext(other), installer::kContextMachine);
    }
}

}  // namespace
