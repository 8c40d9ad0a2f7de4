#include "targets/product_info.h"

#include <array>
#include <cstdint>

#include "installer/installer.h"

namespace {

// Terminator included; longer texts are not supported and read as empty.
constexpr std::uint32_t kInfoUnits = 1024;

using Buffer = std::array<char16_t, kInfoUnits>;

std::u16string TextOf(const Buffer& buffer)
{
    const std::u16string text(buffer.data(), buffer.size());
    return text.substr(0, text.find(u'\0'));
}

// The installer may leave a cut-off text behind when it fails, so any failure
// reads as empty.
std::u16string ProductInfo(const std::u16string& productCode, const std::u16string& property)
{
    Buffer buffer{};
    std::uint32_t count = kInfoUnits;
    if (installer::GetProductInfo(productCode, property, buffer.data(), count) !=
        installer::kSuccess) {
        return {};
    }
    return TextOf(buffer);
}

std::u16string PackageProperty(installer::MsiHandle package, const std::u16string& name)
{
    Buffer buffer{};
    std::uint32_t count = kInfoUnits;
    if (installer::GetProperty(package, name, buffer.data(), count) != installer::kSuccess) {
        return {};
    }
    return TextOf(buffer);
}

}  // namespace

bool IsProductPresent(const std::u16string& productCode)
{
    const int state = installer::QueryProductState(productCode);
    return state == installer::kStateAdvertised || state == installer::kStateDefault;
}

std::u16string GetProductVersion(const std::u16string& productCode)
{
    return ProductInfo(productCode, u"VersionString");
}

std::u16string GetProductPackage(const std::u16string& productCode)
{
    return ProductInfo(productCode, u"LocalPackage");
}

bool GetProductNameLanguageLocale(const std::u16string& productCode, std::u16string& name,
                                  std::u16string& language, std::u16string& localeId)
{
    name = ProductInfo(productCode, u"ProductName");
    language = ProductInfo(productCode, u"Language");

    // Opening a product may raise the installer's own dialogs; keep them away.
    const int previousLevel = installer::SetInternalUI(installer::kUiLevelNone);
    bool opened = false;
    installer::MsiHandle handle = 0;
    if (installer::OpenProduct(productCode, handle) == installer::kSuccess) {
        const installer::UniqueMsiHandle package(handle);
        localeId = PackageProperty(package.Get(), u"LOCALEID");
        opened = true;
    }
    installer::SetInternalUI(previousLevel);
    return opened;
}
