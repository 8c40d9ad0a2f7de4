#include "app/run.h"

#include "app/command_line.h"
#include "install/driver.h"
#include "payload/extract.h"
#include "payload/patch_list.h"
#include "payload/temp_patch.h"
#include "platform/platform.h"
#include "targets/target_product.h"
#include "ui/message_ids.h"
#include "ui/messages.h"

void ShowProductList()
{
    std::u16string productList;
    // A failure leaves the text empty; the box is shown all the same.
    ReadEmbeddedPatchTemplate(productList);
    platform::MessageBox(productList, u"List of Products", kListBoxFlags);
}

int RunServicePack(void* module)
{
    platform::SetModuleHandle(module);
    // Until a product is known, messages speak the language of the user's Windows,
    // not that of the regional format the thread starts with.
    platform::SetThreadLocale(platform::GetUserDefaultUILanguage());
    ParseCommandLine();
    RunOptions& options = ProcessRunOptions();

    if (options.help) {
        ShowMessage(msg::kHelp);
    } else if (options.install) {
        RunInstall();
    } else {
        if (options.extract) {
            ExtractPatch(options.extractPath);
        }
        if (options.exportPatchList) {
            ExportPatchList(options.patchListPath);
        }
        if (options.listProducts) {
            ShowProductList();
        }
    }

    ProcessTargetList().Clear();
    return 0;
}
