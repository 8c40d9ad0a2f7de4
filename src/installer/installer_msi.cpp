// The Windows Installer boundary on Windows: each operation is one msi.dll call.
// mingw's wchar_t is 16 bits wide, so char16_t texts pass through unchanged.
// msi.dll is loaded on first use: loading it at start-up costs /e about 17 MiB
// of resident memory and a tenth of a second under Wine, for nothing. It comes
// from the system directory only, never from beside the executable.

#include "installer/installer.h"
#include "installer/whole_text.h"

#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#include "platform/libraries.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wchar_t expected");
static_assert(sizeof(MSIHANDLE) == sizeof(installer::MsiHandle), "32-bit MSIHANDLE expected");

namespace installer {
namespace {

// Reported for every call when msi.dll cannot be loaded.
constexpr UINT kServiceUnavailable = ERROR_INSTALL_SERVICE_FAILURE;

HMODULE MsiModule()
{
    static const platform::Library module = platform::LoadSystemLibrary(u"msi.dll");
    return static_cast<HMODULE>(module.Get());
}

// The msi.dll export of that name, typed as msi.h declares it; null when missing.
template <typename Function>
Function* Resolve(const char* name)
{
    HMODULE module = MsiModule();
    FARPROC address = module != nullptr ? ::GetProcAddress(module, name) : nullptr;
    return reinterpret_cast<Function*>(reinterpret_cast<void*>(address));
}

#define MSI_ENTRY(name) static auto* const name = Resolve<decltype(::name)>(#name)

const wchar_t* Wide(const std::u16string& text)
{
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

// First buffers: a summary value of up to 2047 units, and any product text of up
// to 1023, is read in one call.
constexpr std::uint32_t kSummaryValueUnits = 2048;
constexpr std::uint32_t kProductTextUnits = 1024;

// ReadWholeText over an msi.dll call that takes a wide buffer and a DWORD count;
// ours is the same width on Windows but passes through a local to keep the types honest.
template <typename Call>
std::uint32_t ReadText(std::uint32_t firstUnits, std::u16string& text, Call call)
{
    return ReadWholeText(firstUnits, text, [&](char16_t* buffer, std::uint32_t& count) {
        DWORD units = count;
        const UINT result = call(reinterpret_cast<wchar_t*>(buffer), &units);
        count = units;
        return result;
    });
}

}  // namespace

void CloseHandle(MsiHandle handle)
{
    MSI_ENTRY(MsiCloseHandle);
    if (MsiCloseHandle != nullptr) {
        MsiCloseHandle(handle);
    }
}

std::uint32_t GetSummaryInformation(const std::u16string& path, MsiHandle& handle)
{
    MSI_ENTRY(MsiGetSummaryInformationW);
    if (MsiGetSummaryInformationW == nullptr) {
        return kServiceUnavailable;
    }
    MSIHANDLE summary = 0;
    const UINT result = MsiGetSummaryInformationW(0, Wide(path), 0, &summary);
    handle = summary;
    return result;
}

std::uint32_t SummaryInfoGetProperty(MsiHandle handle, std::uint32_t property,
                                     std::uint32_t& dataType, std::u16string& value)
{
    MSI_ENTRY(MsiSummaryInfoGetPropertyW);
    if (MsiSummaryInfoGetPropertyW == nullptr) {
        return kServiceUnavailable;
    }
    UINT type = 0;
    INT integerValue = 0;
    FILETIME timeValue = {};
    const std::uint32_t result =
        ReadText(kSummaryValueUnits, value, [&](wchar_t* buffer, DWORD* units) {
            return MsiSummaryInfoGetPropertyW(handle, property, &type, &integerValue,
                                              &timeValue, buffer, units);
        });
    dataType = type;
    return result;
}

int QueryProductState(const std::u16string& product)
{
    MSI_ENTRY(MsiQueryProductStateW);
    if (MsiQueryProductStateW == nullptr) {
        return INSTALLSTATE_UNKNOWN;
    }
    return MsiQueryProductStateW(Wide(product));
}

std::uint32_t EnumProducts(const std::u16string& filter, std::uint32_t index,
                           std::u16string& product, std::uint32_t& context)
{
    MSI_ENTRY(MsiEnumProductsExW);
    if (MsiEnumProductsExW == nullptr) {
        return kServiceUnavailable;
    }
    constexpr std::size_t kGuidUnits = 39;  // braces and terminator included
    wchar_t code[kGuidUnits] = {};
    MSIINSTALLCONTEXT found = MSIINSTALLCONTEXT_NONE;
    const UINT result = MsiEnumProductsExW(filter.empty() ? nullptr : Wide(filter), nullptr,
                                           MSIINSTALLCONTEXT_ALL, index, code,
                                           &found, nullptr, nullptr);
    code[kGuidUnits - 1] = L'\0';
    product.assign(reinterpret_cast<const char16_t*>(code));
    context = static_cast<std::uint32_t>(found);
    return result;
}

std::uint32_t GetProductInfo(const std::u16string& product, const std::u16string& property,
                             std::u16string& value)
{
    MSI_ENTRY(MsiGetProductInfoW);
    if (MsiGetProductInfoW == nullptr) {
        return kServiceUnavailable;
    }
    return ReadText(kProductTextUnits, value, [&](wchar_t* buffer, DWORD* units) {
        return MsiGetProductInfoW(Wide(product), Wide(property), buffer, units);
    });
}

int SetInternalUI(int level)
{
    MSI_ENTRY(MsiSetInternalUI);
    if (MsiSetInternalUI == nullptr) {
        return INSTALLUILEVEL_NOCHANGE;
    }
    return MsiSetInternalUI(static_cast<INSTALLUILEVEL>(level), nullptr);
}

std::uint32_t OpenProduct(const std::u16string& product, MsiHandle& handle)
{
    MSI_ENTRY(MsiOpenProductW);
    if (MsiOpenProductW == nullptr) {
        return kServiceUnavailable;
    }
    MSIHANDLE opened = 0;
    const UINT result = MsiOpenProductW(Wide(product), &opened);
    handle = opened;
    return result;
}

std::uint32_t GetProperty(MsiHandle handle, const std::u16string& name, std::u16string& value)
{
    MSI_ENTRY(MsiGetPropertyW);
    if (MsiGetPropertyW == nullptr) {
        return kServiceUnavailable;
    }
    return ReadText(kProductTextUnits, value, [&](wchar_t* buffer, DWORD* units) {
        return MsiGetPropertyW(handle, Wide(name), buffer, units);
    });
}

std::uint32_t DeterminePatchSequence(const std::u16string& product, std::uint32_t context,
                                     const std::u16string& patchPath, std::int32_t& order,
                                     std::uint32_t& status)
{
    MSI_ENTRY(MsiDeterminePatchSequenceW);
    if (MsiDeterminePatchSequenceW == nullptr) {
        return kServiceUnavailable;
    }
    MSIPATCHSEQUENCEINFOW info = {};
    info.szPatchData = Wide(patchPath);
    info.ePatchDataType = MSIPATCH_DATATYPE_PATCHFILE;
    const UINT result = MsiDeterminePatchSequenceW(
        Wide(product), nullptr, static_cast<MSIINSTALLCONTEXT>(context), 1, &info);
    order = static_cast<std::int32_t>(info.dwOrder);
    status = info.uStatus;
    return result;
}

std::uint32_t GetPatchState(const std::u16string& patchCode, const std::u16string& product,
                            std::uint32_t context)
{
    MSI_ENTRY(MsiGetPatchInfoExW);
    if (MsiGetPatchInfoExW == nullptr) {
        return kServiceUnavailable;
    }
    return MsiGetPatchInfoExW(Wide(patchCode), Wide(product), nullptr,
                              static_cast<MSIINSTALLCONTEXT>(context), L"State", nullptr,
                              nullptr);
}

std::uint32_t GetPatchInfo(const std::u16string& patchCode, const std::u16string& product,
                           std::uint32_t context, const std::u16string& property,
                           std::u16string& value)
{
    MSI_ENTRY(MsiGetPatchInfoExW);
    if (MsiGetPatchInfoExW == nullptr) {
        return kServiceUnavailable;
    }
    return ReadText(kProductTextUnits, value, [&](wchar_t* buffer, DWORD* units) {
        return MsiGetPatchInfoExW(Wide(patchCode), Wide(product), nullptr,
                                  static_cast<MSIINSTALLCONTEXT>(context), Wide(property),
                                  buffer, units);
    });
}

std::uint32_t EnableLog(std::uint32_t mode, const std::u16string& logFile,
                        std::uint32_t attributes)
{
    MSI_ENTRY(MsiEnableLogW);
    if (MsiEnableLogW == nullptr) {
        return kServiceUnavailable;
    }
    return MsiEnableLogW(mode, logFile.empty() ? nullptr : Wide(logFile), attributes);
}

std::uint32_t ConfigureProductEx(const std::u16string& product, int installLevel,
                                 int installState, const std::u16string& commandLine)
{
    MSI_ENTRY(MsiConfigureProductExW);
    if (MsiConfigureProductExW == nullptr) {
        return kServiceUnavailable;
    }
    return MsiConfigureProductExW(Wide(product), installLevel,
                                  static_cast<INSTALLSTATE>(installState), Wide(commandLine));
}

std::uint32_t EnumProductsOfAllUsers(const std::u16string& filter, std::uint32_t index,
                                     std::u16string& product, std::uint32_t& context,
                                     std::u16string& userSid)
{
    MSI_ENTRY(MsiEnumProductsExW);
    if (MsiEnumProductsExW == nullptr) {
        return kServiceUnavailable;
    }
    constexpr std::size_t kGuidUnits = 39;
    constexpr DWORD kSidUnits = 256;
    wchar_t code[kGuidUnits] = {};
    wchar_t sid[kSidUnits] = {};
    DWORD sidUnits = kSidUnits;
    MSIINSTALLCONTEXT found = MSIINSTALLCONTEXT_NONE;
    const UINT result = MsiEnumProductsExW(
        filter.empty() ? nullptr : Wide(filter), Wide(std::u16string(kAllUsersSid)),
        MSIINSTALLCONTEXT_USERMANAGED | MSIINSTALLCONTEXT_USERUNMANAGED, index, code, &found,
        sid, &sidUnits);
    code[kGuidUnits - 1] = L'\0';
    sid[kSidUnits - 1] = L'\0';
    product.assign(reinterpret_cast<const char16_t*>(code));
    userSid.assign(reinterpret_cast<const char16_t*>(sid));
    context = static_cast<std::uint32_t>(found);
    return result;
}

}  // namespace installer
