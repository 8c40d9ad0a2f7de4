#include "targets/selection.h"

#include <cstdint>

#include "common/error_codes.h"
#include "common/run_state.h"
#include "common/text.h"
#include "installer/installer.h"
#include "platform/thread_state.h"
#include "record/events.h"
#include "targets/product_info.h"
#include "targets/target_product.h"
#include "ui/message_ids.h"
#include "ui/messages.h"

namespace {

constexpr char16_t kListSeparator = u';';
constexpr std::int32_t kOrderNotApplicable = -1;

}  // namespace

void InspectProduct(TargetProduct& product)
{
    product.VersionString = GetProductVersion(product.ProductCode);
    product.LocalPackage = GetProductPackage(product.ProductCode);
    GetProductNameLanguageLocale(product.ProductCode, product.ProductName, product.Language,
                                 product.LocaleId);
    product.Context = GetProductContext(product.ProductCode);
    MakeCurrent(product);
}

namespace {

using Need = record::Decision;

// Whether the patch applies to the product and is not registered for it yet.
// A sequencing error is the only refusal the user is told about. refusal is the
// installer's code of a refusal: Failed when the installer failed rather than
// found that the patch does not apply.
Need NeedsPatch(const TargetProduct& product, const std::u16string& patchPath,
                const std::u16string& leadingPatchCode, std::uint32_t& refusal)
{
    std::int32_t order = 0;
    std::uint32_t status = 0;
    const std::uint32_t result = installer::DeterminePatchSequence(
        product.ProductCode, product.Context, patchPath, order, status);
    if (result != errors::kSuccess || status != errors::kSuccess) {
        refusal = result != errors::kSuccess ? result : status;
        ShowMessage(msg::kNotDesignedFor);
        return result == errors::kSuccess && status == errors::kPatchTargetNotFound
                   ? Need::Refused
                   : Need::Failed;
    }
    if (order == kOrderNotApplicable) {
        return Need::NotApplicable;
    }
    return installer::GetPatchState(leadingPatchCode, product.ProductCode,
                                    product.Context) != errors::kSuccess
               ? Need::Patch
               : Need::AlreadyPatched;
}

}  // namespace

std::u16string LeadingPatchCode(const std::u16string& patchCode)
{
    const auto end = patchCode.find(u'}');
    return end == std::u16string::npos ? patchCode : patchCode.substr(0, end + 1);
}

std::vector<std::u16string> ListedProducts(std::u16string productList)
{
    if (productList.size() > 1 && productList.back() != kListSeparator) {
        productList += kListSeparator;
    }
    std::vector<std::u16string> codes;
    for (;;) {
        // The walk ends at the first empty element, even when codes follow it.
        const auto separator = productList.find(kListSeparator);
        if (separator == std::u16string::npos || separator == 0) {
            return codes;
        }
        codes.push_back(productList.substr(0, separator));
        productList.erase(0, separator + 1);
    }
}

SelectionCounts SelectTargets(const std::u16string& patchPath, const std::u16string& patchCode,
                              std::u16string productList, const CheckedPatchPath& checkedPath)
{
    const std::u16string leadingPatchCode = LeadingPatchCode(patchCode);

    SelectionCounts counts;
    for (const std::u16string& code : ListedProducts(std::move(productList))) {
        TargetProduct product;
        product.ProductCode = code;

        if (!IsProductPresent(product.ProductCode)) {
            RecordOtherUsersCopies(product.ProductCode);
            continue;
        }
        ++counts.present;
        InspectProduct(product);
        std::u16string path = patchPath;
        if (checkedPath && !checkedPath(path)) {
            counts.patchError = platform::GetLastError();
            break;
        }
        std::uint32_t refusal = errors::kSuccess;
        const Need need = NeedsPatch(product, path, leadingPatchCode, refusal);
        record::ProductSelected(RecordedFacts(product), need, refusal);
        switch (need) {
        case Need::Patch:
            ProcessTargetList().Append(product);
            break;
        case Need::Failed:
            if (counts.failure == errors::kSuccess ||
                refusal == errors::kInstallAlreadyRunning) {
                counts.failure = refusal;
            }
            [[fallthrough]];
        case Need::Refused:
            ++counts.refused;
            break;
        case Need::AlreadyPatched:
            ++counts.alreadyPatched;
            break;
        case Need::NotApplicable:
            break;
        }
    }
    return counts;
}
