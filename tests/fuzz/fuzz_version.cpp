// Version comparison: any two texts, split at the first NUL unit of the input.
#include "fuzz/fuzz_input.h"
#include "install/version.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::u16string input = fuzz::Utf16(data, size);
    const auto split = input.find(u'\0');
    const std::u16string a = input.substr(0, split);
    const std::u16string b = split == std::u16string::npos ? u"" : input.substr(split + 1);

    const int ab = CompareVersions(a, b);
    fuzz::Require(ab == -CompareVersions(b, a));
    fuzz::Require(CompareVersions(a, a) == 0);
    fuzz::Require(ab >= -1 && ab <= 1);
    return 0;
}
