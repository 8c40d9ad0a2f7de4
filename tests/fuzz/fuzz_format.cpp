// The message formatter with arbitrary formats, inserts and capacities.
#include <vector>

#include "fuzz/fuzz_input.h"
#include "ui/format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2) {
        return 0;
    }
    // First byte: the inserts' kinds (text or number) and count; second: capacity.
    const std::uint8_t kinds = data[0];
    const std::size_t capacity = data[1] * 8u;
    const std::u16string format = fuzz::Utf16(data + 2, size - 2);

    std::vector<Insert> inserts;
    for (int i = 0; i < (kinds & 3); ++i) {
        if (kinds & (4 << i)) {
            inserts.emplace_back(static_cast<std::int32_t>(format.size()) * (i % 2 ? -1 : 1));
        } else {
            inserts.emplace_back(format.substr(0, 300 * static_cast<std::size_t>(i)));
        }
    }
    const std::u16string text = FormatInserts(format, inserts, capacity);
    fuzz::Require(capacity == 0 ? text.empty() : text.size() <= capacity - 1);
    return 0;
}
