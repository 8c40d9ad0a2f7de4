#include "targets/removal_selection.h"

#include "common/error_codes.h"
#include "installer/installer.h"
#include "record/events.h"
#include "targets/product_info.h"
#include "targets/selection.h"
#include "targets/target_product.h"

namespace {

constexpr char16_t kPatchStateProperty[] = u"State";
// The registered states a removal takes back: applied, superseded, obsoleted.
constexpr const char16_t* kRemovableStates[] = {u"1", u"2", u"4"};

}  // namespace

std::uint32_t ReadRegistration(const TargetProduct& product, const std::u16string& patchCode,
                               bool& registered, std::u16string& state)
{
    registered = false;
    const std::uint32_t result = installer::GetPatchInfo(
        patchCode, product.ProductCode, product.Context, kPatchStateProperty, state);
    if (result == errors::kUnknownPatch || result == errors::kUnknownProduct) {
        return errors::kSuccess;
    }
    if (result != errors::kSuccess) {
        return result;
    }
    for (const char16_t* removable : kRemovableStates) {
        registered = registered || state == removable;
    }
    return errors::kSuccess;
}

std::uint32_t SelectRemovalTargets(const std::u16string& patchCode, std::u16string productList)
{
    for (const std::u16string& code : ListedProducts(std::move(productList))) {
        if (!IsProductPresent(code)) {
            RecordOtherUsersCopies(code);
            continue;
        }
        TargetProduct product;
        product.ProductCode = code;
        InspectProduct(product);
        bool registered = false;
        std::u16string state;
        const std::uint32_t failure = ReadRegistration(product, patchCode, registered, state);
        using record::Removal;
        record::RemovalSelected(RecordedFacts(product),
                                failure != errors::kSuccess ? Removal::Failed
                                : registered                  ? Removal::Remove
                                                              : Removal::NotRegistered,
                                state, failure);
        if (failure != errors::kSuccess) {
            return failure;
        }
        if (registered) {
            ProcessTargetList().Append(product);
        }
    }
    return errors::kSuccess;
}
