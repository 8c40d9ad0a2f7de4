#include "doubles/fake_installer.h"

#include "common/error_codes.h"
#include "common/text.h"

namespace fake {
namespace {

struct OpenHandle {
    bool summary = false;  // else a product package
    std::u16string key;    // full path or product code
};

InstallerState g_state;
std::map<installer::MsiHandle, OpenHandle> g_handles;
installer::MsiHandle g_nextHandle = 1;

void Record(std::string call)
{
    g_state.calls.push_back(call);
    if (g_state.onCall) {
        g_state.onCall(call);
    }
}

std::string Utf8(const std::u16string& text) { return ToUtf8(text); }

installer::MsiHandle Open(bool summary, const std::u16string& key)
{
    const installer::MsiHandle handle = g_nextHandle++;
    g_handles[handle] = OpenHandle{summary, key};
    ++g_state.handlesOpened;
    return handle;
}

const OpenHandle* Find(installer::MsiHandle handle, bool summary)
{
    const auto it = g_handles.find(handle);
    return it == g_handles.end() || it->second.summary != summary ? nullptr : &it->second;
}

Product* FindProduct(const std::u16string& code)
{
    const auto it = g_state.products.find(code);
    return it == g_state.products.end() ? nullptr : &it->second;
}

// Registers on product the patch whose file the command line names, as an
// installation of it does.
void RegisterPatch(Product& product, const std::u16string& commandLine)
{
    const std::u16string key = u"PATCH=\"";
    const auto start = commandLine.find(key);
    if (start == std::u16string::npos) {
        return;
    }
    const auto begin = start + key.size();
    const auto path = commandLine.substr(begin, commandLine.find(u'"', begin) - begin);
    const auto& properties = g_state.summaries[path].properties;
    const auto revision = properties.find(installer::kPidRevNumber);
    if (revision != properties.end()) {
        const std::u16string& code = revision->second.value;
        product.patchStates[code.substr(0, code.find(u'}') + 1)] = errors::kSuccess;
    }
}

// Unregisters the patch MSIPATCHREMOVE names, as a removal of it does.
void UnregisterPatch(Product& product, const std::u16string& commandLine)
{
    const std::u16string key = u"MSIPATCHREMOVE=";
    const auto start = commandLine.find(key);
    if (start != std::u16string::npos) {
        const auto begin = start + key.size();
        product.patchStates.erase(commandLine.substr(begin, commandLine.find(u' ', begin) - begin));
    }
}

}  // namespace

InstallerState& Installer() { return g_state; }

void ResetInstaller()
{
    g_state = InstallerState{};
    g_handles.clear();
    g_nextHandle = 1;
}

int OpenHandles() { return static_cast<int>(g_handles.size()); }

std::vector<std::string> CallsStartingWith(const std::string& prefix)
{
    std::vector<std::string> found;
    for (const auto& call : g_state.calls) {
        if (call.rfind(prefix, 0) == 0) {
            found.push_back(call);
        }
    }
    return found;
}

}  // namespace fake

using fake::g_handles;
using fake::g_state;

namespace installer {

void CloseHandle(MsiHandle handle)
{
    const auto it = g_handles.find(handle);
    if (it == g_handles.end()) {
        fake::Record("CloseHandle invalid");
        ++g_state.invalidCloses;
        return;
    }
    fake::Record(std::string("CloseHandle ") + (it->second.summary ? "summary " : "product ") +
                 fake::Utf8(it->second.key));
    g_handles.erase(it);
    ++g_state.handlesClosed;
}

std::uint32_t GetSummaryInformation(const std::u16string& path, MsiHandle& handle)
{
    fake::Record("GetSummaryInformation " + fake::Utf8(path));
    const auto it = g_state.summaries.find(path);
    if (it == g_state.summaries.end()) {
        return errors::kOpenFailed;
    }
    if (it->second.openError != errors::kSuccess) {
        return it->second.openError;
    }
    handle = fake::Open(true, path);
    return errors::kSuccess;
}

std::uint32_t SummaryInfoGetProperty(MsiHandle handle, std::uint32_t property,
                                     std::uint32_t& dataType, std::u16string& value)
{
    fake::Record("SummaryInfoGetProperty " + std::to_string(property));
    const fake::OpenHandle* open = fake::Find(handle, true);
    if (open == nullptr) {
        return errors::kInvalidHandle;
    }
    const auto& properties = g_state.summaries[open->key].properties;
    const auto it = properties.find(property);
    if (it == properties.end()) {
        dataType = fake::kVtEmpty;
        value.clear();
        return errors::kSuccess;
    }
    if (it->second.readError != errors::kSuccess) {
        return it->second.readError;
    }
    dataType = it->second.dataType;
    value = dataType == kVtText ? it->second.value : std::u16string();
    return errors::kSuccess;
}

int QueryProductState(const std::u16string& product)
{
    fake::Record("QueryProductState " + fake::Utf8(product));
    const fake::Product* found = fake::FindProduct(product);
    return found == nullptr ? -1 : found->state;  // INSTALLSTATE_UNKNOWN
}

std::uint32_t EnumProducts(const std::u16string& filter, std::uint32_t index,
                           std::u16string& product, std::uint32_t& context)
{
    fake::Record("EnumProducts " + (filter.empty() ? "*" : fake::Utf8(filter)) + " " +
                 std::to_string(index));
    if (!filter.empty() && g_state.filteredEnumFindsNothing) {
        return errors::kNoMoreItems;
    }
    // Machine instances first, as Wine lists them: not the order the installer acts in.
    // The filter is read as a GUID, whatever the case of its letters.
    std::uint32_t seen = 0;
    for (const std::uint32_t bit : {kContextMachine, kContextUserUnmanaged, kContextUserManaged}) {
        for (const auto& [code, found] : g_state.products) {
            if ((found.contexts & bit) != 0 &&
                (filter.empty() || EqualsAsciiIgnoringCase(filter, code)) &&
                seen++ == index) {
                product = code;
                context = bit;
                return errors::kSuccess;
            }
        }
    }
    return errors::kNoMoreItems;
}

std::uint32_t GetProductInfo(const std::u16string& product, const std::u16string& property,
                             std::u16string& value)
{
    fake::Record("GetProductInfo " + fake::Utf8(product) + " " + fake::Utf8(property));
    const fake::Product* found = fake::FindProduct(product);
    if (found == nullptr) {
        return errors::kUnknownProduct;
    }
    if (const auto error = found->infoErrors.find(property); error != found->infoErrors.end()) {
        return error->second;
    }
    const auto it = found->info.find(property);
    if (it == found->info.end()) {
        return errors::kUnknownProperty;
    }
    value = it->second;
    return errors::kSuccess;
}

int SetInternalUI(int level)
{
    fake::Record("SetInternalUI " + std::to_string(level));
    const int previous = g_state.uiLevel;
    if (level != 0) {  // INSTALLUILEVEL_NOCHANGE
        g_state.uiLevel = level;
    }
    g_state.uiLevelsSet.push_back(level);
    return previous;
}

std::uint32_t OpenProduct(const std::u16string& product, MsiHandle& handle)
{
    fake::Record("OpenProduct " + fake::Utf8(product));
    const fake::Product* found = fake::FindProduct(product);
    if (found == nullptr) {
        return errors::kUnknownProduct;
    }
    if (found->openError != errors::kSuccess) {
        return found->openError;
    }
    handle = fake::Open(false, product);
    return errors::kSuccess;
}

std::uint32_t GetProperty(MsiHandle handle, const std::u16string& name, std::u16string& value)
{
    const fake::OpenHandle* open = fake::Find(handle, false);
    fake::Record("GetProperty " + (open ? fake::Utf8(open->key) : std::string("invalid")) + " " +
                 fake::Utf8(name));
    if (open == nullptr) {
        return errors::kInvalidHandle;
    }
    const auto& properties = g_state.products[open->key].packageProperties;
    const auto it = properties.find(name);
    value = it == properties.end() ? std::u16string() : it->second;
    return errors::kSuccess;
}

std::uint32_t DeterminePatchSequence(const std::u16string& product, std::uint32_t context,
                                     const std::u16string& patchPath, std::int32_t& order,
                                     std::uint32_t& status)
{
    fake::Record("DeterminePatchSequence " + fake::Utf8(product) + " " + std::to_string(context) +
                 " " + fake::Utf8(patchPath));
    const fake::Product* found = fake::FindProduct(product);
    if (found == nullptr) {
        return errors::kUnknownProduct;
    }
    if ((found->contexts & context) == 0) {
        return errors::kBadConfiguration;
    }
    if (found->sequenceResult != errors::kSuccess) {
        return found->sequenceResult;
    }
    order = found->sequenceOrder;
    status = found->sequenceStatus;
    return errors::kSuccess;
}

std::uint32_t GetPatchState(const std::u16string& patchCode, const std::u16string& product,
                            std::uint32_t context)
{
    fake::Record("GetPatchState " + fake::Utf8(patchCode) + " " + fake::Utf8(product) + " " +
                 std::to_string(context));
    const fake::Product* found = fake::FindProduct(product);
    if (found == nullptr || (found->contexts & context) == 0) {
        return errors::kUnknownProduct;
    }
    const auto it = found->patchStates.find(patchCode);
    return it == found->patchStates.end() ? errors::kUnknownPatch : it->second;
}

std::uint32_t GetPatchInfo(const std::u16string& patchCode, const std::u16string& product,
                           std::uint32_t context, const std::u16string& property,
                           std::u16string& value)
{
    fake::Record("GetPatchInfo " + fake::Utf8(patchCode) + " " + fake::Utf8(product) + " " +
                 std::to_string(context) + " " + fake::Utf8(property));
    const fake::Product* found = fake::FindProduct(product);
    if (found == nullptr || (found->contexts & context) == 0) {
        return errors::kUnknownProduct;
    }
    if (const auto error = found->patchInfoErrors.find(property);
        error != found->patchInfoErrors.end()) {
        return error->second;
    }
    const auto it = found->patchStates.find(patchCode);
    if (it == found->patchStates.end() || it->second != errors::kSuccess) {
        return it == found->patchStates.end() ? errors::kUnknownPatch : it->second;
    }
    value = property == u"State" ? found->patchState : found->uninstallable;
    return errors::kSuccess;
}

std::uint32_t EnableLog(std::uint32_t mode, const std::u16string& logFile,
                        std::uint32_t attributes)
{
    fake::Record("EnableLog " + std::to_string(mode) + " " + fake::Utf8(logFile));
    g_state.logCalls.push_back(fake::LogCall{mode, logFile, attributes});
    return g_state.enableLogResult;
}

std::uint32_t ConfigureProductEx(const std::u16string& product, int installLevel,
                                 int installState, const std::u16string& commandLine)
{
    fake::Record("ConfigureProductEx " + fake::Utf8(product));
    g_state.configureCalls.push_back(
        fake::ConfigureCall{product, installLevel, installState, commandLine});
    fake::Product* found = fake::FindProduct(product);
    if (found == nullptr) {
        return errors::kUnknownProduct;
    }
    const std::uint32_t result = found->configureResult;
    const bool success = result == errors::kSuccess || result == errors::kRebootInitiated ||
                         result == errors::kRebootRequired;
    if (success && found->registersPatch) {
        fake::RegisterPatch(*found, commandLine);
    }
    if (success && found->removesPatch) {
        fake::UnregisterPatch(*found, commandLine);
    }
    return result;
}

std::uint32_t EnumProductsOfAllUsers(const std::u16string& filter, std::uint32_t index,
                                     std::u16string& product, std::uint32_t& context,
                                     std::u16string& userSid)
{
    fake::Record("EnumProductsOfAllUsers " + fake::Utf8(filter) + " " + std::to_string(index));
    if (g_state.allUsersError != errors::kSuccess) {
        return g_state.allUsersError;
    }
    std::uint32_t seen = 0;
    for (const auto& instance : g_state.allUsersInstances) {
        if ((filter.empty() || filter == instance.product) && seen++ == index) {
            product = instance.product;
            context = instance.context;
            userSid = instance.userSid;
            return errors::kSuccess;
        }
    }
    return errors::kNoMoreItems;
}

}  // namespace installer
