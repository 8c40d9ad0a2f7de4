#include "install/version.h"

#include <cstdint>
#include <vector>

namespace {

constexpr std::uint64_t kPartLimit = 0xFFFFFFFFull;

// Each part is read as its leading digits; anything after them is ignored.
std::vector<std::uint64_t> Parts(const std::u16string& version)
{
    std::vector<std::uint64_t> parts;
    std::size_t i = 0;
    while (i <= version.size()) {
        std::uint64_t value = 0;
        std::size_t j = i;
        for (; j < version.size() && version[j] >= u'0' && version[j] <= u'9'; ++j) {
            value = value * 10 + (version[j] - u'0');
            if (value > kPartLimit) {
                value = kPartLimit;
            }
        }
        parts.push_back(value);
        const auto dot = version.find(u'.', i);
        if (dot == std::u16string::npos) {
            break;
        }
        i = dot + 1;
    }
    return parts;
}

}  // namespace

int CompareVersions(const std::u16string& a, const std::u16string& b)
{
    const auto left = Parts(a);
    const auto right = Parts(b);
    const std::size_t count = std::max(left.size(), right.size());
    for (std::size_t k = 0; k < count; ++k) {
        const std::uint64_t l = k < left.size() ? left[k] : 0;
        const std::uint64_t r = k < right.size() ? right[k] : 0;
        if (l != r) {
            return l < r ? -1 : 1;
        }
    }
    return 0;
}
