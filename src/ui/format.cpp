#include "ui/format.h"

#include "common/text.h"

namespace {

constexpr char16_t kPlaceholderMark = u'%';
constexpr char16_t kTextPlaceholder = u's';
constexpr char16_t kNumberPlaceholder = u'd';

// A placeholder whose insert is missing or of the other kind prints as an
// empty text or 0, so a faulty translation can never read past the inserts.
std::u16string TextInsert(const std::vector<Insert>& inserts, std::size_t index)
{
    if (index < inserts.size()) {
        if (const auto* text = std::get_if<std::u16string>(&inserts[index])) {
            return *text;
        }
    }
    return {};
}

std::u16string NumberInsert(const std::vector<Insert>& inserts, std::size_t index)
{
    std::int32_t number = 0;
    if (index < inserts.size()) {
        if (const auto* value = std::get_if<std::int32_t>(&inserts[index])) {
            number = *value;
        }
    }
    return ToDecimal(number);
}

}  // namespace

std::u16string FormatInserts(const std::u16string& format, const std::vector<Insert>& inserts,
                             std::size_t capacity)
{
    if (capacity == 0) {
        return {};
    }
    const std::size_t limit = capacity - 1;
    std::u16string result;
    std::size_t nextInsert = 0;

    for (std::size_t i = 0; i < format.size() && result.size() < limit; ++i) {
        const char16_t c = format[i];
        const char16_t type = i + 1 < format.size() ? format[i + 1] : u'\0';
        if (c != kPlaceholderMark) {
            result += c;
        } else if (type == kTextPlaceholder) {
            result += TextInsert(inserts, nextInsert++);
            ++i;
        } else if (type == kNumberPlaceholder) {
            result += NumberInsert(inserts, nextInsert++);
            ++i;
        } else if (type == kPlaceholderMark) {
            result += kPlaceholderMark;
            ++i;
        } else {
            result += c;  // not a placeholder we know: copied as it stands
        }
    }
    if (result.size() > limit) {
        result.resize(limit);
    }
    return result;
}
