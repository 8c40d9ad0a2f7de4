#include "ui/string_table.h"

#include <array>
#include <cstdint>
#include <optional>

#include "common/text.h"
#include "platform/resources.h"
#include "platform/thread_state.h"
#include "ui/message_ids.h"

namespace {

// String tables are stored in blocks of 16 counted strings; block n holds
// ids (n - 1) * 16 to n * 16 - 1.
constexpr char16_t kStringTableType[] = u"#6";
constexpr unsigned kStringsPerBlock = 16;
constexpr unsigned kLargestStringId = 0xFFFF;
constexpr std::uint32_t kLanguageMask = 0xFFFF;

// Each language's table is that of its main region (sublanguage 1), except
// Chinese, whose two scripts have one table each.
constexpr std::uint16_t kPrimaryLanguageMask = 0x3FF;
constexpr unsigned kSubLanguageShift = 10;
constexpr std::uint16_t kSubLanguageDefault = 1;
constexpr std::uint16_t kLanguageChinese = 0x04;
constexpr std::uint16_t kChineseTraditional = 0x0404;  // zh-TW
constexpr std::uint16_t kChineseSimplified = 0x0804;   // zh-CN
// zh-TW, zh-HK, zh-MO and the Traditional neutral form (zh-Hant).
constexpr std::array<std::uint16_t, 4> kTraditionalSubLanguages = {0x01, 0x03, 0x05, 0x1F};

unsigned BlockOf(unsigned id) { return id / kStringsPerBlock + 1; }

// The text in slot `slot` of a block. A block that ends early or whose counts
// run past its end yields nothing rather than bytes outside the resource.
std::u16string ReadBlockEntry(const platform::ResourceBytes& block, unsigned slot)
{
    std::size_t offset = 0;
    for (unsigned i = 0; i <= slot; ++i) {
        if (block.size - offset < 2) {
            return {};
        }
        const std::size_t length =
            static_cast<std::size_t>(block.data[offset] | (block.data[offset + 1] << 8));
        offset += 2;
        if ((block.size - offset) / 2 < length) {
            return {};
        }
        if (i == slot) {
            std::u16string text(length, u'\0');
            for (std::size_t k = 0; k < length; ++k) {
                const std::size_t at = offset + 2 * k;
                text[k] = static_cast<char16_t>(block.data[at] | (block.data[at + 1] << 8));
            }
            return text;
        }
        offset += 2 * length;
    }
    return {};
}

// Whether the language carries a table of ours at all; only then is a missing
// id final instead of left to the platform's choice of language.
bool LanguageHasTable(std::uint16_t language)
{
    for (unsigned block = BlockOf(msg::kFirstId); block <= BlockOf(msg::kLastId); ++block) {
        platform::ResourceBytes bytes;
        if (platform::LoadResourceInLanguage(kStringTableType, NumericResourceName(block), language,
                                             bytes) != platform::ResourceResult::Missing) {
            return true;
        }
    }
    return false;
}

std::uint16_t RegionalTableLanguage(std::uint16_t language)
{
    const auto primary = static_cast<std::uint16_t>(language & kPrimaryLanguageMask);
    if (primary != kLanguageChinese) {
        return static_cast<std::uint16_t>(kSubLanguageDefault << kSubLanguageShift | primary);
    }
    const auto sub = static_cast<std::uint16_t>(language >> kSubLanguageShift);
    for (const std::uint16_t traditional : kTraditionalSubLanguages) {
        if (sub == traditional) {
            return kChineseTraditional;
        }
    }
    return kChineseSimplified;
}

// The language whose table serves the thread's language: its own, else that of
// its language in another region; none leaves the choice to the platform.
std::optional<std::uint16_t> TableLanguage(std::uint16_t language)
{
    if (LanguageHasTable(language)) {
        return language;
    }
    const std::uint16_t regional = RegionalTableLanguage(language);
    if (regional != language && LanguageHasTable(regional)) {
        return regional;
    }
    return std::nullopt;
}

}  // namespace

int LoadMessageString(unsigned id, std::u16string& text, int capacity)
{
    text.clear();
    if (capacity <= 0 || id > kLargestStringId) {
        return 0;
    }
    // The thread locale picks the table: the platform's own string loader
    // ignores it, so the language's block is looked up explicitly.
    const auto language = static_cast<std::uint16_t>(platform::GetThreadLocale() & kLanguageMask);
    const std::optional<std::uint16_t> table = TableLanguage(language);
    const std::u16string block = NumericResourceName(BlockOf(id));
    platform::ResourceBytes bytes;
    const platform::ResourceResult found =
        table ? platform::LoadResourceInLanguage(kStringTableType, block, *table, bytes)
              : platform::LoadResource(kStringTableType, block, bytes);
    if (found != platform::ResourceResult::Found) {
        return 0;
    }
    text = ReadBlockEntry(bytes, id % kStringsPerBlock);
    if (text.size() > static_cast<std::size_t>(capacity - 1)) {
        text.resize(static_cast<std::size_t>(capacity - 1));
    }
    return static_cast<int>(text.size());
}
