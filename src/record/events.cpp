#include "record/events.h"

#include <array>
#include <string_view>

#include "common/run_state.h"
#include "common/text.h"
#include "installer/installer.h"
#include "platform/account.h"
#include "platform/boxes.h"
#include "platform/environment.h"
#include "platform/record_facts.h"
#include "platform/resources.h"
#include "platform/thread_state.h"
#include "record/record.h"

namespace record {
namespace {

// Every line is joined from parts in one place: concatenations spelled out at each
// event cost the executable about 100 KiB.
using Parts = std::initializer_list<std::u16string_view>;

constexpr char16_t kVersionType[] = u"#16";  // RT_VERSION
constexpr char16_t kVersionName[] = u"#1";
constexpr std::uint32_t kFixedInfoSignature = 0xFEEF04BD;
constexpr std::size_t kFileVersionOffset = 8;  // from the signature
constexpr char16_t kUnknown[] = u"unknown";

// What a deployment tool should make of each exit code (any other: a failure).
struct ExitCodeMeaning {
    std::uint32_t code;
    const char16_t* meaning;
};
constexpr std::array<ExitCodeMeaning, 9> kExitCodeMeanings = {{
    {0, u"success"},
    {1, u"/check: the service pack would be installed on at least one product"},
    {1646, u"a product has the patch registered as not removable: nothing was removed"},
    {3010, u"success; a restart is needed to finish (soft restart)"},
    {1641, u"success; the installer began a restart (hard restart)"},
    {1618, u"another installation, or another run of a service pack, was in progress: retry "
           u"later"},
    {1602, u"an application was left open and nothing was installed: retry once it is closed"},
    {1642, u"not applicable: no targeted product needs it or can take it"},
    {1639, u"the command line was refused: correct it"},
}};

std::u16string Join(Parts parts)
{
    std::u16string text;
    for (const std::u16string_view part : parts) {
        text += part;
    }
    return text;
}

void WriteLine(Parts parts) { Write(Join(parts)); }

std::u16string Decimal(std::uint64_t value) { return ToDecimal(static_cast<std::int64_t>(value)); }

// "1603 (Fatal error during installation.)"
std::u16string Error(std::uint32_t error)
{
    const std::u16string text = platform::ErrorText(error);
    return text.empty() ? Decimal(error) : Join({Decimal(error), u" (", text, u")"});
}

std::u16string_view ContextName(std::uint32_t context)
{
    switch (context) {
    case installer::kContextMachine:
        return u"per-machine";
    case installer::kContextUserUnmanaged:
        return u"per-user";
    case installer::kContextUserManaged:
        return u"per-user (managed)";
    default:
        return u"in an unknown context";
    }
}

std::u16string Describe(const Product& product)
{
    return Join({u"product ", product.code, u" \"", product.name, u"\" version \"",
                 product.version, u"\", language ", product.language, u", ",
                 ContextName(product.context), u", ",
                 product.localeId.empty() ? u"no LOCALEID" : u"LOCALEID ", product.localeId});
}

std::uint32_t Little32(const std::uint8_t* bytes)
{
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

// The file version of the executable's version resource, "1.0.0.0".
std::u16string ProgramVersion()
{
    platform::ResourceBytes bytes;
    if (platform::LoadResource(kVersionType, kVersionName, bytes) !=
        platform::ResourceResult::Found) {
        return kUnknown;
    }
    for (std::size_t at = 0; at + kFileVersionOffset + 8 <= bytes.size; at += 4) {
        if (Little32(bytes.data + at) == kFixedInfoSignature) {
            const std::uint32_t high = Little32(bytes.data + at + kFileVersionOffset);
            const std::uint32_t low = Little32(bytes.data + at + kFileVersionOffset + 4);
            return Join({Decimal(high >> 16), u".", Decimal(high & 0xFFFF), u".",
                         Decimal(low >> 16), u".", Decimal(low & 0xFFFF)});
        }
    }
    return kUnknown;
}

std::u16string_view FileName(std::u16string_view path)
{
    return path.substr(path.find_last_of(u"\\/") + 1);
}

std::u16string_view WithoutSeparator(std::u16string_view path)
{
    return path.size() > 1 && (path.back() == u'\\' || path.back() == u'/')
               ? path.substr(0, path.size() - 1)
               : path;
}

std::u16string_view TempReasonText(TempReason reason)
{
    switch (reason) {
    case TempReason::Tmp:
        return u"TMP";
    case TempReason::SystemForLocalSystem:
        return u"the system's folder for LocalSystem, whose TMP others may set";
    case TempReason::SystemAnswer:
        return u"the system's fall-back (TMP and TEMP name no folder: USERPROFILE or the "
               u"Windows folder)";
    case TempReason::Root:
        return u"the root of the current drive (no temporary folder exists)";
    case TempReason::Current:
        return u"the current folder (no temporary folder and no root)";
    }
    return {};
}

std::u16string_view DecisionText(Decision decision)
{
    switch (decision) {
    case Decision::Patch:
        return u"lacks the patch: will be patched";
    case Decision::Refused:
        return u"not applicable: refused by the installer: ";
    case Decision::Failed:
        return u"refused by the installer, a failure of the run: ";
    case Decision::NotApplicable:
        return u"not applicable: the patch does not apply to it";
    case Decision::AlreadyPatched:
        return u"already has the patch";
    }
    return {};
}

std::u16string_view StepText(Step step)
{
    switch (step) {
    case Step::WritePatch:
        return u"writing and checking the temporary copy of the patch";
    case Step::ReadPatch:
        return u"reading the patch's code and product list";
    case Step::ApplicationsOpen:
        return u"closing the running applications";
    case Step::CommandLine:
        return u"building the installer's command line";
    case Step::Extract:
        return u"writing the patch (/e)";
    case Step::ExportPatchList:
        return u"appending the patch-list texts (/p)";
    case Step::ListProducts:
        return u"reading the product codes (/i)";
    case Step::RunLock:
        return u"waiting for another run of a service pack to end";
    case Step::PassPatchToInstaller:
        return u"handing the checked patch to the installer (it is no longer at its path)";
    case Step::PatchCode:
        return u"reading the patch's code (it is not a GUID)";
    }
    return {};
}

std::u16string_view ExitCodeText(std::uint32_t code)
{
    for (const auto& entry : kExitCodeMeanings) {
        if (entry.code == code) {
            return entry.meaning;
        }
    }
    return u"failure: see the failed step above, and the product's log";
}

}  // namespace

void RunStarted()
{
    if (!IsOpen()) {
        return;
    }
    const LastErrorKept kept;
    const std::u16string path = platform::ModulePath();
    WriteLine({u"start: ", FileName(path), u" version ", ProgramVersion(), u" (", path, u")"});
    WriteLine({u"command line: ", platform::CommandLine()});
    std::u16string name;
    std::u16string sid;
    const bool known = platform::Account(name, sid);
    const std::u16string reason = known ? std::u16string() : Error(platform::GetLastError());
    const std::u16string_view system =
        platform::IsLocalSystem() ? u", LocalSystem" : u", not LocalSystem";
    if (known) {
        WriteLine({u"account: ", name.empty() ? u"(no name)" : name, u", SID ", sid, system});
    } else {
        WriteLine({u"account: unknown (", reason, u")", system});
    }
    std::uint32_t session = 0;
    const bool sessionKnown = platform::SessionId(session);
    WriteLine({u"session ", sessionKnown ? Decimal(session) : kUnknown,
         platform::IsDesktopVisible()
             ? u", the desktop is visible: boxes can be answered"
             : u", no one sees the desktop: boxes go to the person at the machine, if asked"});
    const std::uint16_t language = platform::GetUserDefaultUILanguage();
    WriteLine({u"user's UI language: ", Decimal(language), u" ", platform::LanguageName(language)});
}

void TempFolderChosen(const std::u16string& folder, TempReason reason)
{
    if (!IsOpen()) {
        return;
    }
    const LastErrorKept kept;
    // The system's answer comes from TEMP when TMP names no folder.
    std::u16string temp;
    const bool fromTemp = reason == TempReason::SystemAnswer &&
                          platform::GetEnvironmentVariable(u"TEMP", temp) &&
                          EqualsAsciiIgnoringCase(WithoutSeparator(temp), WithoutSeparator(folder));
    WriteLine({u"temporary folder: ", folder, u", from ",
         fromTemp ? u"TEMP (TMP names no folder)" : TempReasonText(reason)});
}

void PatchRead(const std::u16string& revision, const std::u16string& productList)
{
    if (!IsOpen()) {
        return;
    }
    const std::u16string_view all = revision;
    const auto end = all.find(u'}');
    const std::u16string_view code = end == all.npos ? all : all.substr(0, end + 1);
    const std::u16string_view superseded = all.substr(code.size());
    // Counted as the selection walks the list: up to its first empty element.
    int listed = 0;
    for (std::size_t at = 0; at < productList.size();) {
        const auto separator = productList.find(u';', at);
        if (separator == at) {
            break;
        }
        ++listed;
        at = separator == std::u16string::npos ? productList.size() : separator + 1;
    }
    WriteLine({u"patch ", code, u", supersedes ", superseded.empty() ? u"none" : superseded,
         u", lists ", Decimal(static_cast<std::uint64_t>(listed)), u" product(s)"});
}

void ProductSelected(const Product& product, Decision decision, std::uint32_t refusal)
{
    if (!IsOpen()) {
        return;
    }
    const LastErrorKept kept;
    WriteLine({Describe(product), u": ", DecisionText(decision),
         decision == Decision::Refused || decision == Decision::Failed ? Error(refusal)
                                                                    : std::u16string()});
}

void OtherUsersCopy(const std::u16string& code, const std::u16string& userSid,
                    std::uint32_t context)
{
    WriteLine({u"product ", code, u" is installed ", ContextName(context), u" for user ", userSid,
         u": not reachable from this account"});
}

void UpToDate(const Product& product, const std::u16string& upToDate)
{
    if (!IsOpen()) {
        return;
    }
    WriteLine({Describe(product), u": up to date at ", upToDate, u" or later: passed over"});
}

void ApplicationsNotChecked()
{
    Write(u"running applications: not checked, nothing to patch");
}

void ApplicationRunning(const std::u16string& exeName, bool seen, Answer answer)
{
    const std::u16string_view who =
        seen ? u"the user was asked to close it"
             : u"the person at the machine was asked in their session";
    switch (answer) {
    case Answer::Retry:
        WriteLine({u"running application ", exeName, u": ", who, u" and chose Retry"});
        return;
    case Answer::Cancel:
        WriteLine({u"running application ", exeName, u": ", who, u" and chose Cancel"});
        return;
    case Answer::TimedOut:
        WriteLine({u"running application ", exeName, u": ", who,
             u" and did not answer within the time /ask allows: the run ends as if cancelled"});
        return;
    case Answer::NoBox:
        WriteLine({u"running application ", exeName,
             seen ? u": the box asking to close it could not be shown: the run ends as if cancelled"
                  : u": no one could be asked (no one sees this desktop, and no single signed-in "
                    u"session could be reached, or no time of /ask was left): the run ends as if "
                    u"cancelled"});
        return;
    }
}

void ApplicationsChecked(bool allClosed)
{
    Write(allClosed ? u"running applications: none of the watched applications runs"
                    : u"running applications: one was left open, nothing is installed");
}

namespace {

void InstallerRan(std::u16string_view what, const Product& product,
                  const Installation& installation)
{
    if (!IsOpen()) {
        return;
    }
    const LastErrorKept kept;
    const bool logged = !installation.logPath.empty();
    WriteLine({what, product.code, u" \"", product.name, u"\": log ",
         logged ? installation.logPath : Join({u"none (", Error(installation.logError), u")"}),
         u"; command line \"", installation.commandLine, u"\"; result ",
         Error(installation.result), u"; took ", Decimal(installation.milliseconds), u" ms"});
}

std::u16string_view RemovalText(Removal removal)
{
    switch (removal) {
    case Removal::Remove:
        return u"has the patch: will be removed (state ";
    case Removal::NotRegistered:
        return u"does not have the patch: nothing to remove";
    case Removal::NotRemovable:
        return u"the patch is registered as not removable, so the removal is refused for every "
               u"product (Uninstallable ";
    case Removal::Failed:
        return u"the installer could not say whether it has the patch, a failure of the removal: ";
    }
    return {};
}

}  // namespace

void Installed(const Product& product, const Installation& installation)
{
    InstallerRan(u"installed ", product, installation);
}

void Removed(const Product& product, const Installation& installation)
{
    InstallerRan(u"removal from ", product, installation);
}

void RemovalSelected(const Product& product, Removal removal, const std::u16string& value,
                     std::uint32_t error)
{
    if (!IsOpen()) {
        return;
    }
    const LastErrorKept kept;
    const bool valued = removal == Removal::Remove || removal == Removal::NotRemovable;
    WriteLine({Describe(product), u": ", RemovalText(removal), valued ? value : u"",
               valued ? u")" : u"", removal == Removal::Failed ? Error(error) : u""});
}

void CheckEnded(int wouldPatch)
{
    WriteLine({u"check: nothing was changed (no running-application check, no run lock, no "
               u"installer call that changes anything); ",
               Decimal(static_cast<std::uint64_t>(wouldPatch)), u" product(s) would be patched"});
}

void StepFailed(Step step, std::uint32_t error)
{
    if (!IsOpen()) {
        return;
    }
    const LastErrorKept kept;
    WriteLine({u"failed: ", StepText(step), u": error ", Error(error)});
}

void MessageShown(unsigned id, const std::u16string& text)
{
    if (!IsOpen()) {
        return;
    }
    WriteLine({u"message ", Decimal(id), u" shown: ", text});
}

void MessageToldInSession(unsigned id, const std::u16string& text)
{
    if (!IsOpen()) {
        return;
    }
    WriteLine({u"message ", Decimal(id), u" shown, without waiting, in the session of the person "
         u"asked: ", text});
}

void MessageSuppressed(unsigned id, bool quiet)
{
    if (!IsOpen()) {
        return;
    }
    const std::u16string_view why = !quiet                      ? u"no one sees the desktop"
                                    : ProcessRunOptions().check ? u"/check"
                                                                : u"/q";
    WriteLine({u"message ", Decimal(id), u" not shown: ", why});
}

void RunEnded(std::uint32_t outcome, std::uint32_t exitCode)
{
    if (!IsOpen()) {
        return;
    }
    Close(Join({u"end: outcome ", Decimal(outcome), u" (", ExitCodeText(outcome),
                u"), exit code ", Decimal(exitCode),
                exitCode != outcome ? u" (without /exitcode the process always returns 0)" : u"",
                u", took ", Decimal(Elapsed()), u" ms"}));
}

}  // namespace record
