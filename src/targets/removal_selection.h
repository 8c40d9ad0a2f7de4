#pragma once

#include <cstdint>
#include <string>

struct TargetProduct;

// Whether the installer has the patch (its own code) registered as applied,
// superseded or obsoleted for the product, in the context it is installed in;
// state is the registered State. Returns the installer's failure to say, else 0.
std::uint32_t ReadRegistration(const TargetProduct& product, const std::u16string& patchCode,
                               bool& registered, std::u16string& state);

// Appends to the process TargetList each listed product present that has the
// patch registered, in the order of the list. Stops at the first product the
// installer cannot answer for and returns its failure; else 0.
std::uint32_t SelectRemovalTargets(const std::u16string& patchCode, std::u16string productList);
