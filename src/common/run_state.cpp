#include "common/run_state.h"

RunOptions& ProcessRunOptions()
{
    static RunOptions options;
    return options;
}

std::u16string& CurrentProductName()
{
    static std::u16string name;
    return name;
}
