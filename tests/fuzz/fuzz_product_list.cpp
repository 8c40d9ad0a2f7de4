// The walk of a patch's product list in target selection, against the installer double.
#include "doubles/fake_installer.h"
#include "doubles/process_reset.h"
#include "fuzz/fuzz_input.h"
#include "targets/selection.h"
#include "targets/target_product.h"

namespace {

const std::u16string kPatch = u"C:\\Temp\\MSP2";

void ScriptProducts()
{
    auto& msi = fake::Installer();
    for (const char16_t* code : {u"{A}", u"{B}", u"{C}"}) {
        fake::Product& product = msi.products[code];
        product.info = {{u"ProductName", u"Product"},
                        {u"Language", u"1033"},
                        {u"VersionString", u"13.3.0.1"}};
    }
    msi.products[u"{B}"].sequenceOrder = -1;
    msi.products[u"{C}"].sequenceResult = 1610;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fake::ResetProcess();
    ScriptProducts();
    const std::u16string productList = fuzz::Utf16(data, size);

    const int present = SelectTargets(kPatch, u"{P1}{P0}", productList).present;
    fuzz::Require(present >= 0);
    fuzz::Require(ProcessTargetList().Count() <= static_cast<std::size_t>(present));
    for (std::size_t i = 0; i < ProcessTargetList().Count(); ++i) {
        fuzz::Require(ProcessTargetList().At(i).ProductCode == u"{A}");
    }
    fuzz::Require(fake::OpenHandles() == 0);
    return 0;
}
