// Reading a text from a string-table block whose bytes are arbitrary.
#include "common/text.h"
#include "doubles/fake_platform.h"
#include "fuzz/fuzz_input.h"
#include "ui/string_table.h"

namespace {

constexpr unsigned kStringsPerBlock = 16;
constexpr unsigned kFirstIdOfBlock = 288;  // block 19 holds ids 288 to 303
constexpr int kCapacity = 512;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1) {
        return 0;
    }
    fake::ResetPlatform();
    fake::Platform().resources.entries.push_back(
        {u"#6", NumericResourceName(kFirstIdOfBlock / kStringsPerBlock + 1), 1033,
         std::vector<std::uint8_t>(data + 1, data + size), false});

    std::u16string text;
    const int taken = LoadMessageString(kFirstIdOfBlock + data[0] % kStringsPerBlock, text, kCapacity);
    fuzz::Require(taken == static_cast<int>(text.size()) && taken < kCapacity);
    return 0;
}
