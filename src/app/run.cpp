#include "app/run.h"

#include "common/error_codes.h"
#include "app/command_line.h"
#include "common/file_names.h"
#include "files/temp_folders.h"
#include "install/driver.h"
#include "install/outcome.h"
#include "install/uninstall.h"
#include "installer/installer.h"
#include "payload/extract.h"
#include "payload/patch_list.h"
#include "payload/temp_patch.h"
#include "platform/boxes.h"
#include "platform/resources.h"
#include "platform/thread_state.h"
#include "record/events.h"
#include "record/record.h"
#include "targets/target_product.h"
#include "ui/message_ids.h"
#include "ui/messages.h"

namespace {

// Where /l writes when it names no file.
std::u16string DefaultRecordPath()
{
    return WithClosingSeparator(FirstTemporaryFolder()) + u"servicepack.log";
}

}  // namespace

void ShowProductList()
{
    if (!platform::IsDesktopVisible()) {
        return;  // the box would wait for ever, and reading the list is all it is for
    }
    std::u16string productList;
    // A failure leaves the text empty; the box is shown all the same.
    if (!ReadEmbeddedPatchTemplate(productList)) {
        record::StepFailed(record::Step::ListProducts, platform::GetLastError());
    }
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
    if (options.log) {
        record::Open(options.logPath.empty() ? DefaultRecordPath() : options.logPath);
    }
    record::RunStarted();

    std::uint32_t outcome = 0;
    if (options.help) {
        ShowMessage(msg::kHelp);
    } else if (options.badCommandLine) {
        ShowMessage(msg::kBadCommandLine);
        outcome = errors::kInvalidCommandLine;
    } else if (options.install && options.check) {
        outcome = RunCheck();
    } else if (options.install && options.uninstall) {
        outcome = RunUninstall();
    } else if (options.install) {
        outcome = RunInstall();
    } else {
        // The first step that fails gives the outcome; the others still run.
        if (options.extract && !ExtractPatch(options.extractPath)) {
            outcome = FailureCode(platform::GetLastError());
            record::StepFailed(record::Step::Extract, outcome);
        }
        if (options.exportPatchList && !ExportPatchList(options.patchListPath)) {
            const std::uint32_t failure = FailureCode(platform::GetLastError());
            record::StepFailed(record::Step::ExportPatchList, failure);
            outcome = outcome == 0 ? failure : outcome;
        }
        if (options.listProducts) {
            ShowProductList();
        }
    }

    ProcessTargetList().Clear();
    // Without /exitcode scripts read 0 whatever happened, as they always have. A
    // check is a question whose answer is its exit code; a removal is new, and
    // keeps 0 only where a box told someone how it ended.
    std::uint32_t exitCode = options.exitCode ? outcome : 0;
    if (options.check) {
        exitCode = outcome;
    } else if (options.install && options.uninstall) {
        exitCode = ExitCodeFor(outcome, !options.quiet && platform::IsDesktopVisible(),
                               options.exitCode);
    }
    record::RunEnded(outcome, exitCode);
    return static_cast<int>(exitCode);
}
