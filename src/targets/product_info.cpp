#include "targets/product_info.h"

#include <cstdint>
#include <map>

#include "common/error_codes.h"
#include "common/text.h"
#include "installer/installer.h"
#include "platform/account.h"
#include "record/events.h"
#include "record/record.h"

namespace {

// A version, language, package path or locale longer than this is no valid one
// and reads as empty; the product name is taken at any length.
constexpr std::size_t kLongestInfo = 1023;

// Far more product instances than any machine has; the bound only keeps a
// misbehaving service from holding the walk.
constexpr std::uint32_t kMostInstances = 0x10000;

// The order in which the installer looks for a product it is asked to change.
constexpr std::uint32_t kContextPrecedence[] = {installer::kContextUserManaged,
                                                installer::kContextUserUnmanaged,
                                                installer::kContextMachine};

// Empty when the installer fails or the text is longer than longest.
std::u16string ProductInfo(const std::u16string& productCode, const std::u16string& property,
                           std::size_t longest = kLongestInfo)
{
    std::u16string value;
    if (installer::GetProductInfo(productCode, property, value) != errors::kSuccess ||
        value.size() > longest) {
        return {};
    }
    return value;
}

std::u16string PackageProperty(installer::MsiHandle package, const std::u16string& name)
{
    std::u16string value;
    if (installer::GetProperty(package, name, value) != errors::kSuccess ||
        value.size() > kLongestInfo) {
        return {};
    }
    return value;
}

// Contexts of installed instances, by product code in ASCII capitals.
using InstanceContexts = std::map<std::u16string, std::uint32_t>;

// Every instance of every product, walked at most once a run: walked again for each
// product, the walks would grow with the square of the products installed.
struct InstanceWalk {
    bool done = false;
    InstanceContexts found;
};

InstanceWalk& RunInstanceWalk()
{
    static InstanceWalk walk;
    return walk;
}

std::u16string AsciiCapitals(std::u16string text)
{
    for (char16_t& c : text) {
        if (c >= u'a' && c <= u'z') {
            c = static_cast<char16_t>(c - u'a' + u'A');
        }
    }
    return text;
}

// Adds the context of each instance filter enumerates (empty: all of them) to found.
void Enumerate(const std::u16string& filter, InstanceContexts& found)
{
    std::u16string code;
    std::uint32_t context = 0;
    for (std::uint32_t index = 0;
         index < kMostInstances &&
         installer::EnumProducts(filter, index, code, context) == errors::kSuccess;
         ++index) {
        found[AsciiCapitals(code)] |= context;
    }
}

std::uint32_t ContextsOf(const InstanceContexts& instances, const std::u16string& productCode)
{
    const auto it = instances.find(AsciiCapitals(productCode));
    return it == instances.end() ? 0 : it->second;
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

std::uint32_t GetProductContext(const std::u16string& productCode)
{
    // Asked for the product alone, as Windows answers it. Where that finds nothing
    // (Wine) every instance is walked, and the walk, which lists all that asking by
    // code could find, answers for the rest of the run.
    InstanceWalk& walk = RunInstanceWalk();
    std::uint32_t found = 0;
    if (!walk.done) {
        InstanceContexts own;
        Enumerate(productCode, own);
        found = ContextsOf(own, productCode);
        if (found == 0) {
            Enumerate(u"", walk.found);
            walk.done = true;
        }
    }
    if (walk.done) {
        found = ContextsOf(walk.found, productCode);
    }
    for (const std::uint32_t candidate : kContextPrecedence) {
        if ((found & candidate) != 0) {
            return candidate;
        }
    }
    return installer::kContextMachine;
}

void ForgetInstalledInstances()
{
    RunInstanceWalk() = InstanceWalk{};
}

bool GetProductNameLanguageLocale(const std::u16string& productCode, std::u16string& name,
                                  std::u16string& language, std::u16string& localeId)
{
    name = ProductInfo(productCode, u"ProductName", std::u16string::npos);
    language = ProductInfo(productCode, u"Language");

    // Opening a product may raise the installer's own dialogs; keep them away.
    const int previousLevel = installer::SetInternalUI(installer::kUiLevelNone);
    bool opened = false;
    installer::MsiHandle handle = 0;
    if (installer::OpenProduct(productCode, handle) == errors::kSuccess) {
        const installer::UniqueMsiHandle package(handle);
        localeId = PackageProperty(package.Get(), u"LOCALEID");
        opened = true;
    }
    installer::SetInternalUI(previousLevel);
    return opened;
}

void RecordOtherUsersCopies(const std::u16string& productCode)
{
    if (!record::IsOpen()) {
        return;  // the question costs an enumeration of every user's products
    }
    const record::LastErrorKept kept;
    std::u16string name;
    std::u16string ownSid;
    platform::Account(name, ownSid);
    std::u16string code;
    std::uint32_t context = 0;
    std::u16string sid;
    for (std::uint32_t index = 0;
         index < kMostInstances && installer::EnumProductsOfAllUsers(productCode, index, code,
                                                                     context, sid) ==
                                       errors::kSuccess;
         ++index) {
        if (EqualsAsciiIgnoringCase(code, productCode) && sid != ownSid) {
            record::OtherUsersCopy(code, sid, context);
        }
    }
}
