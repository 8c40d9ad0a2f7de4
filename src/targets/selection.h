#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The path of the held patch as it may be handed on now; false (with the
// reason in the last-error value) when it no longer leads to the file checked.
using CheckedPatchPath = std::function<bool(std::u16string&)>;

// What selection found among the listed products.
struct SelectionCounts {
    int present = 0;         // installed
    int refused = 0;         // the patch cannot be sequenced for them (message 308)
    int alreadyPatched = 0;  // the patch is registered on them
    // Nonzero: the held patch could no longer be handed on (this error), and
    // selection stopped there.
    std::uint32_t patchError = 0;
    // The installer's code for the first refusal that was its failure rather than a
    // patch that does not apply; a busy service (1618) outranks any other.
    std::uint32_t failure = 0;
};

// Appends to the process TargetList each listed product that is present, can
// be sequenced, and lacks the patch. With checkedPath, the path handed to the
// installer is taken again from the held patch before each call that opens it.
SelectionCounts SelectTargets(const std::u16string& patchPath, const std::u16string& patchCode,
                              std::u16string productList,
                              const CheckedPatchPath& checkedPath = {});

struct TargetProduct;

// The codes of the patch's product list (";" between them), in order, up to its
// first empty element.
std::vector<std::u16string> ListedProducts(std::u16string productList);

// Fills what the installer knows of an installed product, and makes its name
// and language those of every message from here on.
void InspectProduct(TargetProduct& product);

// The patch's own code: the leading GUID of its revision text.
std::u16string LeadingPatchCode(const std::u16string& patchCode);
