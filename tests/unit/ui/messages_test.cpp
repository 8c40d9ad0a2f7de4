#include "ui/messages.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "common/run_state.h"
#include "common/text.h"
#include "doubles/fake_platform.h"
#include "doubles/process_reset.h"
#include "ui/format.h"
#include "ui/message_ids.h"
#include "ui/string_table.h"
#include "unit/ui/string_tables.h"

namespace {

constexpr std::uint32_t kEnglish = 1033;
constexpr std::uint32_t kGerman = 1031;
constexpr std::uint32_t kTraditionalChinese = 1028;
constexpr std::uint32_t kPortugueseBrazil = 1046;
constexpr std::uint32_t kTurkish = 1055;  // no table of its own

constexpr char16_t kProduct[] = u"Suite 2008";
constexpr std::int32_t kErrorCode = 1603;

// What each message must receive, in order, and how it is shown.
struct Expected {
    unsigned id;
    std::vector<Insert> inserts;
    unsigned title;
    unsigned flags;
};

const std::u16string kPackage = u"service pack";
const std::vector<Expected> kExpected = {
    {300, {kPackage, kErrorCode}, 311, kErrorBoxFlags},
    {301, {kPackage, std::u16string(kProduct)}, 312, kInformationBoxFlags},
    {302, {std::u16string(kProduct)}, 311, kErrorBoxFlags},
    {306, {std::u16string(kProduct), kPackage}, 313, kInformationBoxFlags},
    {307, {kPackage, kPackage}, 311, kErrorBoxFlags},
    {308, {kPackage, std::u16string(kProduct)}, 311, kErrorBoxFlags},
    {309, {}, 311, kErrorBoxFlags},
    {310, {kPackage}, 311, kErrorBoxFlags},
    {315, {kPackage}, 314, kInformationBoxFlags},
    {322, {kPackage}, 327, kInformationBoxFlags},
    {323, {kPackage, kErrorCode}, 326, kErrorBoxFlags},
    {324, {kPackage}, 328, kInformationBoxFlags},
    {325, {kPackage, std::u16string(kProduct)}, 326, kErrorBoxFlags},
};

// The placeholder letters an insert list calls for.
std::u16string LettersOf(const std::vector<Insert>& inserts)
{
    std::u16string letters;
    for (const auto& insert : inserts) {
        letters += std::holds_alternative<std::int32_t>(insert) ? u'd' : u's';
    }
    return letters;
}

// The placeholder letters of a format, in order ("%%" is no placeholder).
std::u16string PlaceholdersOf(const std::u16string& format)
{
    std::u16string letters;
    for (std::size_t i = 0; i + 1 < format.size(); ++i) {
        if (format[i] == u'%') {
            if (format[i + 1] != u'%') {
                letters += format[i + 1];
            }
            ++i;
        }
    }
    return letters;
}

bool EndsWith(const std::u16string& text, const std::u16string& tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

class Messages : public ::testing::Test {
protected:
    void SetUp() override
    {
        fake::ResetProcess();
    }

    static std::u16string Load(unsigned id)
    {
        std::u16string text;
        LoadMessageString(id, text, kMessageCapacity);
        return text;
    }
};

TEST_F(Messages, EveryShippedTableDeclaresItsLanguageAndCarriesEveryId)
{
    const std::set<unsigned> ids = {300, 301, 302, 306, 307, 308, 309, 310,
                                    311, 312, 313, 314, 315, 316, 320, 321,
                                    322, 323, 324, 325, 326, 327, 328};
    for (const auto& table : LoadShippedTables()) {
        SCOPED_TRACE(table.file);
        EXPECT_EQ(table.language, table.expectedLanguage);
        std::set<unsigned> carried;
        for (const auto& [id, text] : table.texts) {
            carried.insert(id);
            EXPECT_FALSE(text.empty()) << id;
        }
        EXPECT_EQ(carried, ids);
    }
}

TEST_F(Messages, EveryLanguageComposesEveryMessageFromItsOwnInserts)
{
    CurrentProductName() = kProduct;
    for (const auto& table : LoadShippedTables()) {
        SCOPED_TRACE(table.file);
        fake::Platform().thread.locale = table.language;
        for (const auto& expected : kExpected) {
            SCOPED_TRACE(expected.id);
            const std::u16string format = table.texts.at(expected.id);
            // Placeholders may stop early but never outrun or mismatch the inserts.
            const std::u16string used = PlaceholdersOf(format);
            EXPECT_EQ(LettersOf(expected.inserts).compare(0, used.size(), used), 0)
                << ToUtf8(format);

            fake::Platform().thread.lastError = kErrorCode;
            fake::Platform().boxes.shown.clear();
            EXPECT_EQ(ShowMessage(expected.id), 1);
            ASSERT_EQ(fake::Platform().boxes.shown.size(), 1u);
            const fake::Box& box = fake::Platform().boxes.shown[0];
            EXPECT_EQ(box.text, FormatInserts(format, expected.inserts, kComposedCapacity));
            EXPECT_EQ(box.text.find(u'%'), std::u16string::npos) << ToUtf8(box.text);
            EXPECT_EQ(box.title, table.texts.at(expected.title));
            EXPECT_EQ(box.flags, expected.flags);
            if (expected.id == msg::kInstallFailed) {
                EXPECT_NE(box.text.find(u"1603"), std::u16string::npos);
            }
        }
        // The running-application box gets the name and an empty second insert.
        const std::u16string body = FormatInserts(
            Load(msg::kRunningApplications), {std::u16string(u"Plotrix\n"), std::u16string()},
            kComposedCapacity);
        EXPECT_NE(body.find(u"Plotrix\n"), std::u16string::npos);
        EXPECT_EQ(body.find(u'%'), std::u16string::npos);
        EXPECT_EQ(PlaceholdersOf(Load(msg::kFilesInUse)), u"");
    }
}

TEST_F(Messages, EnglishFailureShowsTheCallersErrorCode)
{
    LoadShippedTable("en-US.rc");
    fake::Platform().thread.lastError = 1603;
    EXPECT_EQ(ShowMessage(msg::kInstallFailed), 1);
    ASSERT_EQ(fake::Platform().boxes.shown.size(), 1u);
    const fake::Box& box = fake::Platform().boxes.shown[0];
    EXPECT_EQ(box.text,
              u"A problem prevented the service pack from being installed. Contact your system "
              u"administrator. \n\n Error Code: 1603");
    EXPECT_EQ(box.title, u"Installation Error");
    EXPECT_EQ(box.flags, 0x50010u);
    EXPECT_EQ(fake::Platform().thread.lastErrorReads, 1);

    // A box that could not be shown is not tried again; its answer is passed on.
    fake::Platform().boxes.answers = {0};
    EXPECT_EQ(ShowMessage(msg::kInstallFailed), 0);
    EXPECT_EQ(fake::Platform().boxes.shown.size(), 2u);
}

TEST_F(Messages, ErrorCodeIsReadBeforeTheLookupCanChangeIt)
{
    // Without a Turkish table the lookup misses first, which sets a last error.
    LoadShippedTable("en-US.rc");
    fake::Platform().thread.locale = kTurkish;
    fake::Platform().thread.lastError = 0x80070643;
    ShowMessage(msg::kInstallFailed);
    ASSERT_EQ(fake::Platform().boxes.shown.size(), 1u);
    EXPECT_TRUE(EndsWith(fake::Platform().boxes.shown[0].text, u"Error Code: -2147023293"));
}

TEST_F(Messages, QuietShowsNothingAndLeavesTheErrorUnread)
{
    LoadShippedTable("en-US.rc");
    ProcessRunOptions().quiet = true;
    EXPECT_EQ(ShowMessage(msg::kInstalled), kAnswerNo);
    EXPECT_EQ(ShowMessage(msg::kInstallFailed), kAnswerNo);
    EXPECT_TRUE(fake::Platform().boxes.shown.empty());
    EXPECT_EQ(fake::Platform().thread.lastErrorReads, 0);
}

TEST_F(Messages, ThreadLocaleChoosesTheTable)
{
    const ShippedTable chinese = LoadShippedTable("zh-TW.rc");
    const ShippedTable german = LoadShippedTable("de-DE.rc");
    const ShippedTable english = LoadShippedTable("en-US.rc");

    fake::Platform().thread.locale = kTraditionalChinese;
    EXPECT_EQ(Load(msg::kFilesInUse), chinese.texts.at(msg::kFilesInUse));
    EXPECT_EQ(Load(msg::kRunningApplications), chinese.texts.at(msg::kRunningApplications));

    // Only the language part of the locale counts (sort order in bits 16 and up).
    fake::Platform().thread.locale = 0x10000 | kGerman;
    CurrentProductName() = u"Suite 2008";
    ShowMessage(msg::kUpToDate);
    ASSERT_EQ(fake::Platform().boxes.shown.size(), 1u);
    const fake::Box& box = fake::Platform().boxes.shown[0];
    EXPECT_EQ(box.title, german.texts.at(msg::kTitleUnnecessary));
    EXPECT_NE(box.text.find(u"service pack"), std::u16string::npos);
    EXPECT_EQ(box.text, FormatInserts(german.texts.at(msg::kUpToDate),
                                      {std::u16string(u"Suite 2008"),
                                       std::u16string(u"service pack")},
                                      kComposedCapacity));

    // A language without a table is left to the platform's fallback.
    fake::Platform().thread.locale = kTurkish;
    EXPECT_EQ(Load(msg::kTitleError), english.texts.at(msg::kTitleError));
    fake::Platform().resources.fallbackLanguage = kGerman;
    EXPECT_EQ(Load(msg::kTitleError), german.texts.at(msg::kTitleError));
    EXPECT_EQ(Load(msg::kFilesInUse), german.texts.at(msg::kFilesInUse));
}

TEST_F(Messages, RegionalLanguageReadsTheTableOfItsLanguage)
{
    std::map<std::string, ShippedTable> tables;
    for (auto& table : LoadShippedTables()) {
        tables[table.file] = table;
    }
    fake::Platform().resources.fallbackLanguage = 1041;  // the platform's choice would be Japanese
    const std::vector<std::pair<std::uint32_t, std::string>> cases = {
        {3082, "es-ES.rc"},  {2058, "es-ES.rc"},  {0x1000C0A, "es-ES.rc"}, {2070, "pt-BR.rc"},
        {3079, "de-DE.rc"},  {2055, "de-DE.rc"},  {0x0007, "de-DE.rc"},    {3084, "fr-FR.rc"},
        {2057, "en-US.rc"},  {3076, "zh-TW.rc"},  {5124, "zh-TW.rc"},      {0x7C04, "zh-TW.rc"},
        {4100, "zh-CN.rc"},  {0x0004, "zh-CN.rc"}, {1049, "ru-RU.rc"},     {1055, "ja-JP.rc"},
    };
    for (const auto& [locale, file] : cases) {
        SCOPED_TRACE(locale);
        fake::Platform().thread.locale = locale;
        EXPECT_EQ(Load(msg::kTitleError), tables.at(file).texts.at(msg::kTitleError));
    }
    // What the borrowed table lacks stays empty (Dutch in Belgium, a table for the Netherlands).
    fake::AddStringTable(1043, {{msg::kFilesInUse, u"Alleen deze tekst"}});
    fake::Platform().thread.locale = 2067;
    EXPECT_EQ(Load(msg::kRunningApplications), u"");
    EXPECT_EQ(Load(msg::kFilesInUse), u"Alleen deze tekst");
}

TEST_F(Messages, IdMissingFromTheLanguagesTableIsNotBorrowed)
{
    LoadShippedTable("en-US.rc");
    fake::AddStringTable(kGerman, {{msg::kFilesInUse, u"Nur dieser Text"}});
    fake::Platform().thread.locale = kGerman;
    std::u16string text = u"stale";
    EXPECT_EQ(LoadMessageString(msg::kRunningApplications, text, kMessageCapacity), 0);
    EXPECT_EQ(text, u"");
    EXPECT_EQ(LoadMessageString(msg::kInstallFailed, text, kMessageCapacity), 0);
    EXPECT_EQ(LoadMessageString(msg::kFilesInUse, text, kMessageCapacity), 15);
    EXPECT_EQ(text, u"Nur dieser Text");

    // The box is shown all the same, empty.
    ShowMessage(msg::kRefusedByPolicy);
    ASSERT_EQ(fake::Platform().boxes.shown.size(), 1u);
    EXPECT_EQ(fake::Platform().boxes.shown[0].text, u"");
    EXPECT_EQ(fake::Platform().boxes.shown[0].title, u"");
    EXPECT_EQ(fake::Platform().boxes.shown[0].flags, kErrorBoxFlags);
}

TEST_F(Messages, LongTextsAreCut)
{
    fake::AddStringTable(kEnglish, {{msg::kBadCommandLine, std::u16string(600, u'a')},
                                    {msg::kRefusedByPolicy, std::u16string(500, u'b') + u"%s"}});
    std::u16string text;
    EXPECT_EQ(LoadMessageString(msg::kBadCommandLine, text, kMessageCapacity), 511);
    EXPECT_EQ(text, std::u16string(511, u'a'));
    EXPECT_EQ(LoadMessageString(msg::kBadCommandLine, text, 1), 0);
    EXPECT_EQ(text, u"");
    EXPECT_EQ(LoadMessageString(msg::kBadCommandLine, text, 0), 0);

    CurrentProductName() = std::u16string(1000, u'n');
    ShowMessage(msg::kRefusedByPolicy);
    ASSERT_EQ(fake::Platform().boxes.shown.size(), 1u);
    EXPECT_EQ(fake::Platform().boxes.shown[0].text,
              std::u16string(500, u'b') + std::u16string(523, u'n'));
}

TEST_F(Messages, DamagedBlockYieldsNothing)
{
    // Block 21 holds ids 320..335; its first count claims more than the block has.
    fake::Platform().resources.entries.push_back(
        fake::Resource{u"#6", u"#21", static_cast<std::uint16_t>(kEnglish),
                       {0x40, 0x00, 'a', 0x00, 'b', 0x00}, false});
    std::u16string text;
    EXPECT_EQ(LoadMessageString(msg::kFilesInUse, text, kMessageCapacity), 0);
    EXPECT_EQ(LoadMessageString(msg::kRunningApplications, text, kMessageCapacity), 0);
    EXPECT_EQ(text, u"");
}

TEST_F(Messages, PortugueseSuccessNamesPackageThenProduct)
{
    LoadShippedTable("pt-BR.rc");
    fake::Platform().thread.locale = kPortugueseBrazil;
    CurrentProductName() = u"Suite 2008";
    ShowMessage(msg::kInstalled);
    ASSERT_EQ(fake::Platform().boxes.shown.size(), 1u);
    const std::u16string& text = fake::Platform().boxes.shown[0].text;
    const auto package = text.find(u"service pack");
    const auto product = text.find(u"Suite 2008");
    ASSERT_NE(package, std::u16string::npos);
    ASSERT_NE(product, std::u16string::npos);
    EXPECT_LT(package, product);
}

TEST_F(Messages, UnknownIdShowsItsTextAsAnErrorWithoutInserts)
{
    LoadShippedTable("en-US.rc");
    CurrentProductName() = u"Suite 2008";
    EXPECT_EQ(ShowMessage(msg::kRunningApplications), 1);
    EXPECT_EQ(ShowMessage(303), 1);
    const auto& boxes = fake::Platform().boxes.shown;
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, FormatInserts(Load(msg::kRunningApplications), {}, kComposedCapacity));
    EXPECT_EQ(boxes[0].text.find(u"Suite 2008"), std::u16string::npos);
    EXPECT_EQ(boxes[0].title, u"Installation Error");
    EXPECT_EQ(boxes[0].flags, kErrorBoxFlags);
    EXPECT_EQ(boxes[1].text, u"");
    EXPECT_EQ(boxes[1].flags, kErrorBoxFlags);
}

// Unseen, the closing messages go, unwaited for, to the person who was asked to
// close an application; with /q, or when no one was asked, nowhere.
TEST_F(Messages, UnseenMessagesReachOnlyThePersonAskedAndNeverWait)
{
    for (const auto& [asked, quiet] : {std::pair{true, false}, {false, false}, {true, true}}) {
        SetUp();
        LoadShippedTable("en-US.rc");
        fake::Platform().boxes.desktopVisible = false;
        fake::Platform().sessions.asked = asked;
        ProcessRunOptions().quiet = quiet;
        EXPECT_EQ(ShowMessage(msg::kInstalled, msg::kRestartNeeded), kAnswerNo);
        EXPECT_TRUE(fake::Platform().boxes.shown.empty());
        const auto& told = fake::Platform().sessions.boxes;
        ASSERT_EQ(told.size(), asked && !quiet ? 1u : 0u);
        if (!told.empty()) {
            EXPECT_FALSE(told[0].waited);
            EXPECT_EQ(told[0].box.text,
                      FormatInserts(Load(msg::kInstalled), {kPackage}, kComposedCapacity) +
                          u"\n\n" + Load(msg::kRestartNeeded));
            EXPECT_EQ(told[0].box.flags, kInformationBoxFlags);
        }
    }
}

}  // namespace
