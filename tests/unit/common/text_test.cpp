#include "common/text.h"

#include <gtest/gtest.h>

TEST(Text, ParseDecimalFollowsTheCLibrary)
{
    EXPECT_EQ(ParseDecimal(u"1031"), 1031);
    EXPECT_EQ(ParseDecimal(u"  +1033x"), 1033);
    EXPECT_EQ(ParseDecimal(u"\t-12"), -12);
    EXPECT_EQ(ParseDecimal(u""), 0);
    EXPECT_EQ(ParseDecimal(u"en-US"), 0);
    EXPECT_EQ(ParseDecimal(u"99999999999"), 2147483647);
    EXPECT_EQ(ParseDecimal(u"-99999999999"), -2147483647 - 1);
}

TEST(Text, DecimalAndUtf8RoundTrip)
{
    EXPECT_EQ(ToDecimal(0), u"0");
    EXPECT_EQ(ToDecimal(-2147483648LL), u"-2147483648");
    const std::u16string mixed = u"Gr\u00fc\u00dfe \u4e2d\u6587 \U0001F600";
    EXPECT_EQ(FromUtf8(ToUtf8(mixed)), mixed);
    EXPECT_TRUE(EqualsAsciiIgnoringCase(u"/Q", u"/q"));
    EXPECT_FALSE(EqualsAsciiIgnoringCase(u"/q", u"/qq"));
}
