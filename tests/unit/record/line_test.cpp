#include "record/line.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(RecordLine, BeginsWithLocalTimeItsOffsetFromUtcAndTheProcessId)
{
    const std::pair<int, std::string> offsets[] = {
        {60, "+01:00"}, {0, "+00:00"}, {-210, "-03:30"}, {345, "+05:45"}, {-720, "-12:00"}};
    for (const auto& [minutes, text] : offsets) {
        SCOPED_TRACE(minutes);
        const platform::LocalTime time = {2027, 1, 2, 3, 4, 5, 7, minutes};
        EXPECT_EQ(record::FormatLine(time, 17, u"start"),
                  "2027-01-02T03:04:05.007" + text + " [17] start\r\n");
    }
}

TEST(RecordLine, EveryEventStaysOnOneLineOfValidUtf8)
{
    const platform::LocalTime time = {2026, 12, 9, 20, 15, 3, 42, 60};
    const std::string stamp = "2026-12-09T20:15:03.042+01:00 [1] ";
    const std::pair<std::u16string, std::string> cases[] = {
        {u"Größe 製品", "Gr\xC3\xB6\xC3\x9F" "e \xE8\xA3\xBD\xE5\x93\x81"},
        {u"a\nb\r\tc\x01\x7F", "a\\nb\\r\\tc\\x01\\x7F"},
        {u"\xD83D\xDE00", "\xF0\x9F\x98\x80"},                         // a pair is one character
        {std::u16string(u"x\xD83Dy\xDE00"), "x\xEF\xBF\xBDy\xEF\xBF\xBD"},  // alone: U+FFFD
        {std::u16string(record::kLongestText + 1, u'a'),
         std::string(record::kLongestText, 'a') + " [cut]"},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(record::FormatLine(time, 1, text), stamp + expected + "\r\n");
    }
}

}  // namespace
