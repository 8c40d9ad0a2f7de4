#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "installer/installer.h"
#include "record/events.h"

// What the run learns about one product the patch will be applied to.
struct TargetProduct {
    std::u16string ProductCode;
    std::u16string ProductName;
    std::u16string Language;
    std::u16string VersionString;
    std::u16string LocalPackage;
    std::u16string LocaleId = u"0";
    std::u16string CommandLine;
    // The install context whose instance is sequenced and asked about the patch.
    std::uint32_t Context = installer::kContextMachine;
};

// The products to patch, in the order of the patch's target list.
class TargetList {
public:
    void Append(const TargetProduct& product) { products_.push_back(product); }
    [[nodiscard]] std::size_t Count() const { return products_.size(); }
    [[nodiscard]] bool Empty() const { return products_.empty(); }
    TargetProduct& At(std::size_t index) { return products_.at(index); }
    void Clear() { products_.clear(); }

private:
    std::vector<TargetProduct> products_;
};

// The process-wide list.
TargetList& ProcessTargetList();

// Messages from here on name this product and speak its language.
void MakeCurrent(const TargetProduct& target);

// What the run's record says of a product.
record::Product RecordedFacts(const TargetProduct& product);
