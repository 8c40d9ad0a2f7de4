#include "common/error_codes.h"
#include "installer/whole_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

// A text as msi.dll hands it over, with the count of every attempt; grown by
// growBy after each attempt that found the buffer short.
struct Source {
    std::u16string value;
    std::size_t growBy = 0;
    std::vector<std::uint32_t> counts;

    std::uint32_t operator()(char16_t* buffer, std::uint32_t& count)
    {
        counts.push_back(count);
        const std::uint32_t capacity = count;
        count = static_cast<std::uint32_t>(value.size());
        if (value.size() >= capacity) {
            std::fill_n(buffer, capacity - 1, u'c');  // cut off, as msi.dll leaves it
            value.append(growBy, u'g');
            return errors::kMoreData;
        }
        std::copy(value.begin(), value.end(), buffer);
        return errors::kSuccess;
    }
};

TEST(WholeTextTest, ShortFirstAttemptIsRepeatedOnceAtExactlyTheSizeReported)
{
    const struct {
        std::size_t length;
        std::size_t growBy;
        std::uint32_t result;
        std::vector<std::uint32_t> counts;
    } cases[] = {
        {2047, 0, errors::kSuccess, {2048}},
        {2048, 0, errors::kSuccess, {2048, 2049}},
        {5000, 0, errors::kSuccess, {2048, 5001}},
        {3000, 1000, errors::kMoreData, {2048, 3001}},  // grew after it was measured
    };
    for (const auto& c : cases) {
        Source source{std::u16string(c.length, u'v'), c.growBy, {}};
        std::u16string text = u"previous";
        EXPECT_EQ(installer::ReadWholeText(2048, text, std::ref(source)), c.result) << c.length;
        EXPECT_EQ(text, c.result == errors::kSuccess ? std::u16string(c.length, u'v')
                                                        : u"previous");
        EXPECT_EQ(source.counts, c.counts) << c.length;
    }
}

}  // namespace
