#include "targets/target_product.h"

TargetList& ProcessTargetList()
{
    static TargetList list;
    return list;
}

std::u16string& CurrentProductName()
{
    static std::u16string name;
    return name;
}
