#include "payload/patch_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/run_state.h"
#include "common/text.h"
#include "doubles/fake_installer.h"
#include "doubles/fake_platform.h"
#include "doubles/process_reset.h"
#include "payload/extract.h"
#include "unit/ui/string_tables.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

const std::string kText206 =
    "ProductCode={6F1E2C3A-9B1D-4E55-8C3B-1A2B3C4D5E6F}\r\nPatchLocation=\\\\server\\\\share\r\n";
const std::string kText207 = "PatchSize=1234\r\n";
const std::u16string kOut = u"C:\\Work\\out.txt";
const std::u16string kNeedPatchListText =
    u"You must supply a patch list with the command line to install this service pack "
    u"installation.";

std::string Entry(const std::string& text) { return "*****\r\n" + text + "\r\n"; }

class PatchListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fake::ResetProcess();
        LoadShippedTable("en-US.rc");
        os.resources.entries.push_back({u"MSP", u"IDR_MSP", 1046, {0xD0, 0xCF}, false});
        AddText(206, kText206);
    }

    void AddText(int id, const std::string& text)
    {
        os.resources.entries.push_back(
            {u"TXT", u"#" + ToDecimal(id), 1046, fake::Bytes(text), false});
    }

    void ScriptTemplate(const std::u16string& productList)
    {
        msi.summaries[u"C:\\Temp\\MSP2"].properties[installer::kPidTemplate] = {productList};
    }

    Bytes File(const std::u16string& path) { return os.files.contents.at(path); }

    fake::PlatformState& os = fake::Platform();
    fake::InstallerState& msi = fake::Installer();
};

TEST_F(PatchListTest, EachExportAppendsSeparatorTextAndLineEnd)
{
    os.files.contents[kOut] = fake::Bytes("earlier\r\n");
    std::u16string path = kOut;
    EXPECT_TRUE(ExportPatchList(path));
    EXPECT_EQ(File(kOut), fake::Bytes("earlier\r\n" + Entry(kText206)));
    EXPECT_TRUE(ExportPatchList(path));
    EXPECT_EQ(File(kOut), fake::Bytes("earlier\r\n" + Entry(kText206) + Entry(kText206)));
    EXPECT_EQ(path, kOut);
    EXPECT_TRUE(os.boxes.shown.empty());
    EXPECT_EQ(os.files.openFiles, 0);
}

TEST_F(PatchListTest, TextsFollowInIdentifierOrderUntilTheFirstMissing)
{
    AddText(207, kText207);
    AddText(209, "Skipped=1\r\n");
    std::u16string path = kOut;
    EXPECT_TRUE(ExportPatchList(path));
    EXPECT_EQ(File(kOut), fake::Bytes(Entry(kText206) + Entry(kText207)));
    EXPECT_TRUE(os.boxes.shown.empty());
}

TEST_F(PatchListTest, DefaultNameComesFromTheTemplate)
{
    ScriptTemplate(u"{6F1E2C3A-9B1D-4E55-8C3B-1A2B3C4D5E6F};{00000000-1111-2222-3333-444444444444}");
    std::u16string path;
    EXPECT_TRUE(ExportPatchList(path));
    EXPECT_EQ(path, u"patchlist9B1D.txt");
    EXPECT_EQ(File(path), fake::Bytes(Entry(kText206)));
    EXPECT_EQ(os.files.contents.count(u"C:\\Temp\\MSP2"), 0u);  // the copy read for the name

    const std::pair<const char16_t*, const char16_t*> cases[] = {
        {u"ab-cd:{1234-WXYZ-5}", u"patchlistWXYZ.txt"},  // only what follows the ":" is searched
        {u"x:12-3", u"patchlist3.txt"},
        {u"ABCDEFG", u"patchlistABCD.txt"},
        {u"AB", u"patchlistAB.txt"},
        {u"", u"patchlist.txt"},
        {u"abc-", u"patchlist.txt"},
        {u"a-..\\x", u"patchlist.._x.txt"},  // never a directory part
    };
    for (const auto& [productList, name] : cases) {
        EXPECT_EQ(DefaultPatchListName(productList), name) << ToUtf8(productList);
    }
}

TEST_F(PatchListTest, DefaultNameFallsBackWhenThePatchCannotBeRead)
{
    std::u16string path;  // nothing scripted: the template cannot be read
    EXPECT_TRUE(ExportPatchList(path));
    EXPECT_EQ(path, u"patchlist.txt");
    EXPECT_EQ(File(path), fake::Bytes(Entry(kText206)));
    EXPECT_EQ(os.files.contents.count(u"C:\\Temp\\MSP2"), 0u);
    EXPECT_TRUE(os.boxes.shown.empty());

    SetUp();
    ScriptTemplate(u"{6F1E2C3A-9B1D-4E55}");
    std::erase_if(os.resources.entries, [](const fake::Resource& r) { return r.type == u"MSP"; });
    path.clear();
    EXPECT_TRUE(ExportPatchList(path));
    EXPECT_EQ(path, u"patchlist.txt");
    EXPECT_TRUE(msi.calls.empty());
    EXPECT_TRUE(os.boxes.shown.empty());
}

TEST_F(PatchListTest, FileThatCannotBeOpenedAtItsEndOrMissingTextGives310)
{
    std::u16string path = u"C:\\Nowhere\\out.txt";
    EXPECT_FALSE(ExportPatchList(path));
    EXPECT_EQ(os.files.contents.count(path), 0u);
    ASSERT_EQ(os.boxes.shown.size(), 1u);
    EXPECT_EQ(os.boxes.shown[0].text, kNeedPatchListText);
    EXPECT_EQ(os.boxes.shown[0].title, u"Installation Error");

    // Not at the end of what the file holds: nothing is written over it.
    SetUp();
    os.files.contents[kOut] = fake::Bytes("earlier\r\n");
    os.files.failSeeks = true;
    path = kOut;
    EXPECT_FALSE(ExportPatchList(path));
    EXPECT_EQ(File(kOut), fake::Bytes("earlier\r\n"));
    ASSERT_EQ(os.boxes.shown.size(), 1u);
    EXPECT_EQ(os.boxes.shown[0].text, kNeedPatchListText);

    SetUp();
    std::erase_if(os.resources.entries, [](const fake::Resource& r) { return r.type == u"TXT"; });
    path = kOut;
    EXPECT_TRUE(ExportPatchList(path));
    EXPECT_EQ(File(kOut), Bytes{});
    ASSERT_EQ(os.boxes.shown.size(), 1u);
    EXPECT_EQ(os.boxes.shown[0].text, kNeedPatchListText);
}

TEST_F(PatchListTest, DefaultNameThatIsALinkOrHasAnotherNameIsNotWrittenThrough)
{
    // Anyone may plant these in the current directory; a typed path is the user's choice.
    // Where links look like files (Wine) the file opened is not the entry of that name.
    const std::u16string system = u"C:\\Windows\\win.ini";
    const std::pair<std::u16string, bool> cases[] = {
        {u"", false}, {u"", true}, {u"C:\\Work\\out.txt", false}};
    for (const auto& [typed, linksLookLikeFiles] : cases) {
        SetUp();
        ScriptTemplate(u"{6F1E2C3A-9B1D-4E55}");
        os.files.directories.insert(u"C:\\Windows");
        os.files.linksLookLikeFiles = linksLookLikeFiles;
        os.files.contents[system] = fake::Bytes("[fonts]");
        os.files.links[typed.empty() ? u"patchlist9B1D.txt" : typed] = system;
        std::u16string path = typed;
        EXPECT_EQ(ExportPatchList(path), !typed.empty());
        const std::string appended = typed.empty() ? "" : Entry(kText206);
        EXPECT_EQ(File(system), fake::Bytes("[fonts]" + appended));
        EXPECT_EQ(os.boxes.shown.size(), typed.empty() ? 1u : 0u);
    }

    SetUp();  // a hard link: the fallback name, another name of a system file
    os.files.contents[u"patchlist.txt"] = fake::Bytes("[fonts]");
    os.files.multiplyLinked.insert(u"patchlist.txt");
    std::u16string path;
    EXPECT_FALSE(ExportPatchList(path));
    EXPECT_EQ(File(u"patchlist.txt"), fake::Bytes("[fonts]"));
    ASSERT_EQ(os.boxes.shown.size(), 1u);
    EXPECT_EQ(os.boxes.shown[0].text, kNeedPatchListText);
}

TEST_F(PatchListTest, UnloadableTextStopsTheExportWith300)
{
    for (const bool empty : {true, false}) {
        SetUp();
        AddText(207, kText207);
        os.resources.entries.back().unloadable = !empty;
        if (empty) {
            os.resources.entries.back().bytes.clear();
        }
        AddText(208, "After=1\r\n");
        std::u16string path = kOut;
        EXPECT_TRUE(ExportPatchList(path));
        EXPECT_EQ(File(kOut), fake::Bytes(Entry(kText206)));
        ASSERT_EQ(os.boxes.shown.size(), 1u);
        EXPECT_EQ(os.boxes.shown[0].text.rfind(u"A problem prevented the service pack", 0), 0u);
    }
}

TEST_F(PatchListTest, FailedWriteSkipsThatTextOnly)
{
    // The separator fits, the long text does not; the short one after it does.
    AddText(207, "ok\r\n");
    os.files.writeLimit = 7;
    std::u16string path = kOut;
    EXPECT_TRUE(ExportPatchList(path));
    EXPECT_EQ(File(kOut), fake::Bytes("*****\r\n" + kText206.substr(0, 7) + Entry("ok\r\n")));
    EXPECT_TRUE(os.boxes.shown.empty());

    SetUp();
    os.files.failWrites = true;
    path = kOut;
    EXPECT_TRUE(ExportPatchList(path));
    EXPECT_EQ(File(kOut), Bytes{});
    EXPECT_TRUE(os.boxes.shown.empty());
}

}  // namespace
