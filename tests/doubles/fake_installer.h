#pragma once

// Scriptable stand-in for msi.dll, linked into the unit tests in place of
// installer_msi.cpp. Products and patch summaries are scripted per code and
// per full path; every call is recorded in order, and handles are counted so a
// test can see each one closed exactly once.

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "installer/installer.h"

namespace fake {

inline constexpr std::uint32_t kVtEmpty = 0;
inline constexpr std::uint32_t kVtInteger = 3;  // VT_I4

struct SummaryProperty {
    std::u16string value;
    std::uint32_t dataType = installer::kVtText;  // other types read as empty
    std::uint32_t readError = 0;                  // nonzero: the read fails with it
};

struct Summary {
    std::uint32_t openError = 0;  // nonzero: GetSummaryInformation fails with it
    std::map<std::uint32_t, SummaryProperty> properties;  // absent: VT_EMPTY
};

struct Product {
    int state = installer::kStateDefault;
    // The install contexts it has an instance in, as bits. Sequencing and patch
    // queries in any other context fail as msi.dll's do (1610, 1605).
    std::uint32_t contexts = installer::kContextMachine;

    // MsiGetProductInfoW: a missing name answers errors::kUnknownProperty; an
    // entry in infoErrors answers that code.
    std::map<std::u16string, std::u16string> info;
    std::map<std::u16string, std::uint32_t> infoErrors;

    // MsiOpenProductW and MsiGetPropertyW on the opened package; an undefined
    // property reads as an empty text, as in msi.dll.
    std::uint32_t openError = 0;
    std::map<std::u16string, std::u16string> packageProperties;

    // MsiDeterminePatchSequenceW; order and status are written only on success.
    std::uint32_t sequenceResult = 0;
    std::int32_t sequenceOrder = 0;
    std::uint32_t sequenceStatus = 0;

    // MsiGetPatchInfoExW "State" by patch code; unknown patches answer errors::kUnknownPatch.
    std::map<std::u16string, std::uint32_t> patchStates;
    // MsiGetPatchInfoExW values of a registered patch; an entry in patchInfoErrors
    // answers that code for the property.
    std::u16string patchState = u"1";
    std::u16string uninstallable = u"1";
    std::map<std::u16string, std::uint32_t> patchInfoErrors;

    std::uint32_t configureResult = 0;
    // A configure that succeeds registers the patch it was given (its leading GUID,
    // from the summary at PATCH="..."); false: as Wine, success without the patch.
    bool registersPatch = true;
    // A configure with MSIPATCHREMOVE that succeeds unregisters that patch; false:
    // as Wine, success with the patch still registered.
    bool removesPatch = true;
};

struct LogCall {
    std::uint32_t mode = 0;
    std::u16string file;
    std::uint32_t attributes = 0;
};

struct ConfigureCall {
    std::u16string product;
    int installLevel = 0;
    int installState = 0;
    std::u16string commandLine;
};

// A per-user instance of another user, seen only with the all-users SID.
struct OtherUsersInstance {
    std::u16string product;
    std::u16string userSid;
    std::uint32_t context = installer::kContextUserUnmanaged;
};

struct InstallerState {
    std::map<std::u16string, Product> products;   // by product code; others are unknown
    std::map<std::u16string, Summary> summaries;  // by full path; others fail to open

    bool filteredEnumFindsNothing = false;
    // EnumProductsOfAllUsers lists these (with the current user's, whose SID is
    // given here), or fails with allUsersError (5 for an account that may not ask).
    std::vector<OtherUsersInstance> allUsersInstances;
    std::uint32_t allUsersError = 0;  // as Wine's MsiEnumProductsExW with a product code
    int uiLevel = 1;  // INSTALLUILEVEL_DEFAULT
    std::vector<int> uiLevelsSet;
    std::uint32_t enableLogResult = 0;
    std::vector<LogCall> logCalls;
    std::vector<ConfigureCall> configureCalls;

    // Every call in order, e.g. "QueryProductState {A}", "SummaryInfoGetProperty 7".
    std::vector<std::string> calls;
    // Runs after a call is recorded, before it is answered.
    std::function<void(const std::string& call)> onCall;

    int handlesOpened = 0;
    int handlesClosed = 0;
    int invalidCloses = 0;  // closes of a handle that is not open
};

InstallerState& Installer();
void ResetInstaller();

// Handles opened and not yet closed.
int OpenHandles();

// The calls recorded whose text starts with prefix.
std::vector<std::string> CallsStartingWith(const std::string& prefix);

}  // namespace fake
