#include "ui/format.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

constexpr std::size_t kRoomy = 1024;

TEST(FormatInserts, FillsPlaceholdersLeftToRight)
{
    EXPECT_EQ(FormatInserts(u"%s got %d%%", {std::u16string(u"pack"), 42}, kRoomy),
              u"pack got 42%");
    // Inserted text is not read as a format a second time.
    EXPECT_EQ(FormatInserts(u"[%s]", {std::u16string(u"%d%s")}, kRoomy), u"[%d%s]");
    EXPECT_EQ(FormatInserts(u"only %s", {std::u16string(u"one"), std::u16string(u"unused")},
                            kRoomy),
              u"only one");
}

TEST(FormatInserts, PrintsNumbersAsSigned32Bit)
{
    EXPECT_EQ(FormatInserts(u"%d", {0}, kRoomy), u"0");
    EXPECT_EQ(FormatInserts(u"%d", {-1}, kRoomy), u"-1");
    EXPECT_EQ(FormatInserts(u"%d", {INT32_MIN}, kRoomy), u"-2147483648");
    EXPECT_EQ(FormatInserts(u"%d", {INT32_MAX}, kRoomy), u"2147483647");
}

TEST(FormatInserts, MissingOrMismatchedInsertsPrintEmptyOrZero)
{
    EXPECT_EQ(FormatInserts(u"a%sb%dc", {}, kRoomy), u"ab0c");
    // A mismatched insert still uses up its position.
    EXPECT_EQ(FormatInserts(u"%d|%s|%s", {std::u16string(u"x"), 7, std::u16string(u"y")}, kRoomy),
              u"0||y");
}

TEST(FormatInserts, CopiesUnknownAndDanglingMarks)
{
    EXPECT_EQ(FormatInserts(u"%x %", {std::u16string(u"unused")}, kRoomy), u"%x %");
    EXPECT_EQ(FormatInserts(u"100%", {}, kRoomy), u"100%");
}

TEST(FormatInserts, KeepsAtMostCapacityLessOneUnits)
{
    EXPECT_EQ(FormatInserts(u"abc", {}, 0), u"");
    EXPECT_EQ(FormatInserts(u"abc", {}, 1), u"");
    EXPECT_EQ(FormatInserts(u"abcdef", {}, 4), u"abc");
    EXPECT_EQ(FormatInserts(u"a%sz", {std::u16string(u"123456")}, 5), u"a123");
    EXPECT_EQ(FormatInserts(u"%d", {-123456}, 4), u"-12");
    const std::u16string longInsert(5000, u'x');
    EXPECT_EQ(FormatInserts(u"%s%s", {longInsert, longInsert}, 1024).size(), 1023u);
}

}  // namespace
