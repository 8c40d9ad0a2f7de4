#include "targets/target_product.h"

TargetList& ProcessTargetList()
{
    static TargetList list;
    return list;
}
