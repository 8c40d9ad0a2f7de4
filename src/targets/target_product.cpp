#include "targets/target_product.h"

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
