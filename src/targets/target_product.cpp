#include "targets/target_product.h"

#include "common/run_state.h"
#include "common/text.h"
#include "platform/thread_state.h"

TargetList& ProcessTargetList()
{
    static TargetList list;
    return list;
}

record::Product RecordedFacts(const TargetProduct& product)
{
    return {product.ProductCode, product.ProductName, product.VersionString,
            product.Language,    product.LocaleId,    product.Context};
}

void MakeCurrent(const TargetProduct& target)
{
    CurrentProductName() = target.ProductName;
    platform::SetThreadLocale(static_cast<std::uint32_t>(ParseDecimal(target.Language)));
}
