#include "app/run_options.h"

RunOptions& ProcessRunOptions()
{
    static RunOptions options;
    return options;
}
