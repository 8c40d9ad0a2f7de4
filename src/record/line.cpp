#include "record/line.h"

#include <cstdlib>

#include "common/text.h"

namespace record {
namespace {

constexpr char16_t kReplacement = 0xFFFD;
constexpr char16_t kCutMark[] = u" [cut]";
constexpr char16_t kHexDigits[] = u"0123456789ABCDEF";

// Appends the separator (none: 0), then value with leading zeros to width digits.
void AppendPadded(std::u16string& out, char16_t separator, int value, std::size_t width)
{
    const std::u16string digits = ToDecimal(value);
    if (separator != 0) {
        out += separator;
    }
    out.append(digits.size() < width ? width - digits.size() : 0, u'0');
    out += digits;
}

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c < 0xDC00; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c < 0xE000; }

// Control characters as escapes, a surrogate without its pair as U+FFFD: the
// line stays one line and valid UTF-8.
std::u16string Cleaned(const std::u16string& text)
{
    std::u16string out;
    const std::size_t end = text.size() > kLongestText ? kLongestText : text.size();
    for (std::size_t i = 0; i < end; ++i) {
        const char16_t c = text[i];
        if (c == u'\n') {
            out += u"\\n";
        } else if (c == u'\r') {
            out += u"\\r";
        } else if (c == u'\t') {
            out += u"\\t";
        } else if (c < 0x20 || c == 0x7F) {
            out += u"\\x";
            out += kHexDigits[c >> 4];
            out += kHexDigits[c & 0xF];
        } else if (IsHighSurrogate(c) && i + 1 < end && IsLowSurrogate(text[i + 1])) {
            out += c;
            out += text[++i];
        } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
            out += kReplacement;
        } else {
            out += c;
        }
    }
    if (end < text.size()) {
        out += kCutMark;
    }
    return out;
}

}  // namespace

std::u16string FormatTimestamp(const platform::LocalTime& time)
{
    const int offset = std::abs(time.offsetMinutes);
    std::u16string out;
    AppendPadded(out, 0, time.year, 4);
    AppendPadded(out, u'-', time.month, 2);
    AppendPadded(out, u'-', time.day, 2);
    AppendPadded(out, u'T', time.hour, 2);
    AppendPadded(out, u':', time.minute, 2);
    AppendPadded(out, u':', time.second, 2);
    AppendPadded(out, u'.', time.millisecond, 3);
    AppendPadded(out, time.offsetMinutes < 0 ? u'-' : u'+', offset / 60, 2);
    AppendPadded(out, u':', offset % 60, 2);
    return out;
}

std::string FormatLine(const platform::LocalTime& time, std::uint32_t processId,
                       const std::u16string& text)
{
    std::u16string line = FormatTimestamp(time);
    line += u" [";
    line += ToDecimal(processId);
    line += u"] ";
    line += Cleaned(text);
    line += u"\r\n";
    return ToUtf8(line);
}

}  // namespace record
