#pragma once

// The Windows Installer boundary: the msi.dll operations the system uses, in
// portable types. installer_msi.cpp calls msi.dll; tests link a double.
// Every call returns a Win32 error code (0 is success) unless said otherwise.
// Texts come back whole, replaced only on success: the edge grows its buffers.

#include <cstdint>
#include <string>

#include "common/unique_handle.h"
#include "common/error_codes.h"

namespace installer {

using MsiHandle = std::uint32_t;

// msi.dll takes no longer path than MAX_PATH, a package's or a log's; terminator included.
inline constexpr std::uint32_t kMaxPathUnits = 260;

// Whether an installation or removal succeeded, a restart it needs included.
inline bool Succeeded(std::uint32_t result)
{
    return result == errors::kSuccess || result == errors::kRebootInitiated || result == errors::kRebootRequired;
}

// Install contexts, as bits.
inline constexpr std::uint32_t kContextUserManaged = 1;
inline constexpr std::uint32_t kContextUserUnmanaged = 2;
inline constexpr std::uint32_t kContextMachine = 4;
inline constexpr std::uint32_t kPidTemplate = 7;
inline constexpr std::uint32_t kPidRevNumber = 9;
inline constexpr std::uint32_t kVtText = 30;  // VT_LPSTR

inline constexpr int kStateAdvertised = 1;
inline constexpr int kStateDefault = 5;
inline constexpr int kInstallLevelDefault = 0;

inline constexpr int kUiLevelNone = 2;
inline constexpr int kUiLevelBasicNoCancel = 0x23;

inline constexpr std::uint32_t kLogModeVerbose = 0x1000;
inline constexpr std::uint32_t kLogModeOff = 0x4000;

void CloseHandle(MsiHandle handle);

struct MsiHandleTraits {
    using Handle = MsiHandle;
    static Handle Invalid() { return 0; }
    static void Close(Handle handle) { installer::CloseHandle(handle); }
};
using UniqueMsiHandle = UniqueHandle<MsiHandleTraits>;

// MsiGetSummaryInformationW(no database, path, update count 0).
std::uint32_t GetSummaryInformation(const std::u16string& path, MsiHandle& handle);

// MsiSummaryInfoGetPropertyW: the property's type and, for a text, its value
// (empty for other types).
std::uint32_t SummaryInfoGetProperty(MsiHandle handle, std::uint32_t property,
                                     std::uint32_t& dataType, std::u16string& value);

// MsiQueryProductStateW: the install state.
int QueryProductState(const std::u16string& product);

// MsiEnumProductsExW(filter, current user, all contexts, index): the code and
// context of the index-th instance of the product filter names (empty: of any
// product); errors::kNoMoreItems past the last.
std::uint32_t EnumProducts(const std::u16string& filter, std::uint32_t index,
                           std::u16string& product, std::uint32_t& context);

// MsiGetProductInfoW.
std::uint32_t GetProductInfo(const std::u16string& product, const std::u16string& property,
                             std::u16string& value);

// MsiSetInternalUI(level, no window): returns the previous level.
int SetInternalUI(int level);

// MsiOpenProductW.
std::uint32_t OpenProduct(const std::u16string& product, MsiHandle& handle);

// MsiGetPropertyW: an undefined property is an empty text.
std::uint32_t GetProperty(MsiHandle handle, const std::u16string& name, std::u16string& value);

// MsiDeterminePatchSequenceW for one patch file against one product in the given
// context (of the current user for the user contexts).
// order is -1 when the patch does not apply.
std::uint32_t DeterminePatchSequence(const std::u16string& product, std::uint32_t context,
                                     const std::u16string& patchPath, std::int32_t& order,
                                     std::uint32_t& status);

// MsiGetPatchInfoExW(patch, product, current user, context, "State", no buffer).
std::uint32_t GetPatchState(const std::u16string& patchCode, const std::u16string& product,
                            std::uint32_t context);

// MsiGetPatchInfoExW(patch, product, current user, context, property): the
// registered value as text, such as "State" ("1" applied, "2" superseded, "4"
// obsoleted) or "Uninstallable" ("1" when the patch may be removed).
std::uint32_t GetPatchInfo(const std::u16string& patchCode, const std::u16string& product,
                           std::uint32_t context, const std::u16string& property,
                           std::u16string& value);

// MsiEnableLogW; an empty logFile means no file.
std::uint32_t EnableLog(std::uint32_t mode, const std::u16string& logFile,
                        std::uint32_t attributes);

// MsiConfigureProductExW; blocks until the installation is over.
std::uint32_t ConfigureProductEx(const std::u16string& product, int installLevel,
                                 int installState, const std::u16string& commandLine);

// ---- products of other users, for the run's record --------------------------

// The SID that asks the installer about every user's instances.
inline constexpr char16_t kAllUsersSid[] = u"S-1-1-0";

// MsiEnumProductsExW(filter, all users, per-user contexts, index): the index-th
// per-user instance of the product filter names, with the SID of its user; an
// account that may not look at other users' products fails (5).
std::uint32_t EnumProductsOfAllUsers(const std::u16string& filter, std::uint32_t index,
                                     std::u16string& product, std::uint32_t& context,
                                     std::u16string& userSid);

}  // namespace installer
