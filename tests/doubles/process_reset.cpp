#include "doubles/process_reset.h"

#include "common/run_state.h"
#include "doubles/fake_installer.h"
#include "doubles/fake_platform.h"
#include "files/temp_names.h"
#include "record/record.h"
#include "targets/product_info.h"
#include "targets/target_product.h"

namespace fake {

void ResetProcess()
{
    record::Discard();
    ResetPlatform();
    ResetInstaller();
    ResetTempNameCounter();
    ProcessRunOptions() = RunOptions{};
    ProcessTargetList().Clear();
    CurrentProductName().clear();
    ForgetInstalledInstances();
}

}  // namespace fake
