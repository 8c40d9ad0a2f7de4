#include "install/version.h"

#include <gtest/gtest.h>

#include "common/text.h"

namespace {

int Sign(int value) { return (value > 0) - (value < 0); }

struct Case {
    const char16_t* left;
    const char16_t* right;
    int expected;  // sign of the comparison
};

TEST(CompareVersions, PartsCompareAsNumbers)
{
    const Case cases[] = {
        {u"9.0", u"13.3.0.5", -1},
        {u"13.10.0.0", u"13.3.0.5", 1},
        {u"13.3.0.5", u"13.3.0.5", 0},
        {u"13.3.0.4", u"13.3.0.5", -1},
        {u"14", u"13.3.0.5", 1},
        {u"013.03.0.05", u"13.3.0.5", 0},
        // Missing parts count as 0.
        {u"13.3", u"13.3.0.0", 0},
        {u"13.3", u"13.3.0.5", -1},
        {u"13.3.0.5.1", u"13.3.0.5", 1},
        {u"13.3.", u"13.3", 0},
        {u"", u"0.0", 0},
        // A part is its leading digits; what follows them is ignored.
        {u"13.3.0.5 (beta)", u"13.3.0.5", 0},
        {u"13.3.0.6rc", u"13.3.0.5", 1},
        {u"13.x.0.5", u"13.0.0.5", 0},
        {u"abc", u"0", 0},
        // Parts too large for 32 bits saturate instead of wrapping.
        {u"99999999999999999999999", u"4294967294", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.left) + " vs " + ToUtf8(c.right));
        EXPECT_EQ(Sign(CompareVersions(c.left, c.right)), c.expected);
        EXPECT_EQ(Sign(CompareVersions(c.right, c.left)), -c.expected);
    }
}

}  // namespace
