#pragma once

#include <cstdint>
#include <string>

#include "files/temp_folders.h"

// What each room of the run reports to the record, one call per decision. The
// wording is made here, in English for administrators; every call is free of
// platform calls unless a record is open.

namespace record {

// ---- the start ------------------------------------------------------------

// The program, its version, the whole command line, the account, the session,
// whether anyone sees the desktop and the user's UI language.
void RunStarted();

void TempFolderChosen(const std::u16string& folder, TempReason reason);

// ---- the patch and the products ---------------------------------------------

// revision: the patch's code followed by the codes it supersedes.
void PatchRead(const std::u16string& revision, const std::u16string& productList);

struct Product {
    std::u16string code;
    std::u16string name;
    std::u16string version;
    std::u16string language;
    std::u16string localeId;
    std::uint32_t context = 0;
};

enum class Decision { Patch, Refused, Failed, NotApplicable, AlreadyPatched };
// refusal: the installer's code when it refused to sequence the patch (Refused:
// it does not apply; Failed: the installer failed).
void ProductSelected(const Product& product, Decision decision, std::uint32_t refusal);
// A listed product this account does not have, installed for another user.
void OtherUsersCopy(const std::u16string& code, const std::u16string& userSid,
                    std::uint32_t context);
// A target passed over because it is at upToDate or later.
void UpToDate(const Product& product, const std::u16string& upToDate);

// ---- the running applications ---------------------------------------------

void ApplicationsNotChecked();
// How the user answered the box asking to close a running application.
enum class Answer {
    Retry,
    Cancel,
    TimedOut,  // the time /ask allows ran out
    NoBox,     // no box could be shown, or (unseen) there was no one to ask
};
// A watched application runs and the user was asked: on this desktop (seen), or
// in the session of the person at the machine.
void ApplicationRunning(const std::u16string& exeName, bool seen, Answer answer);
void ApplicationsChecked(bool allClosed);

// ---- installations ----------------------------------------------------------

struct Installation {
    std::u16string logPath;   // empty: no log
    std::uint32_t logError = 0;  // why there is none
    std::u16string commandLine;
    std::uint32_t result = 0;
    std::uint64_t milliseconds = 0;
};
void Installed(const Product& product, const Installation& installation);

// ---- removal (/uninstall) and checks (/check) -------------------------------

// What the removal found for a product: value is the patch's registered State, or
// its Uninstallable value; error the installer's failure to say.
enum class Removal { Remove, NotRegistered, NotRemovable, Failed };
void RemovalSelected(const Product& product, Removal removal, const std::u16string& value,
                     std::uint32_t error);
void Removed(const Product& product, const Installation& installation);
// A /check changed nothing; so many products lack the patch.
void CheckEnded(int wouldPatch);

// ---- failures and the end ---------------------------------------------------

enum class Step {
    WritePatch,        // the temporary copy of the patch
    ReadPatch,         // its summary: code and product list
    ApplicationsOpen,  // a watched application stayed open
    CommandLine,       // the installer's command line
    Extract,           // /e
    ExportPatchList,   // /p
    ListProducts,      // /i
    RunLock,           // waiting for another run to end
    PassPatchToInstaller,  // handing the checked patch to the installer
    PatchCode,         // a patch code that is no GUID cannot go on a command line
};
void StepFailed(Step step, std::uint32_t error);

// A message box, and its text; or why none was shown.
void MessageShown(unsigned id, const std::u16string& text);
void MessageSuppressed(unsigned id, bool quiet);
// Sent to the session of the person asked to close an application, not waited for.
void MessageToldInSession(unsigned id, const std::u16string& text);

// The closing line: the outcome, the exit code returned and what it tells a
// deployment tool, the total time. Closes the record.
void RunEnded(std::uint32_t outcome, std::uint32_t exitCode);

}  // namespace record
