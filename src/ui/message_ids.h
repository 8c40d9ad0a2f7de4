#pragma once

// Ids of the string tables; titles are texts too.
namespace msg {
inline constexpr unsigned kInstallFailed = 300;
inline constexpr unsigned kInstalled = 301;
inline constexpr unsigned kRefusedByPolicy = 302;
inline constexpr unsigned kUpToDate = 306;
inline constexpr unsigned kNoProduct = 307;
inline constexpr unsigned kNotDesignedFor = 308;
inline constexpr unsigned kBadCommandLine = 309;
inline constexpr unsigned kNeedPatchList = 310;
inline constexpr unsigned kTitleError = 311;
inline constexpr unsigned kTitleSuccess = 312;
inline constexpr unsigned kTitleUnnecessary = 313;
inline constexpr unsigned kTitleHelp = 314;
inline constexpr unsigned kHelp = 315;
inline constexpr unsigned kRestartNeeded = 316;
inline constexpr unsigned kFilesInUse = 320;
inline constexpr unsigned kRunningApplications = 321;
// Taking the service pack off (/uninstall).
inline constexpr unsigned kRemoved = 322;
inline constexpr unsigned kRemovalFailed = 323;
inline constexpr unsigned kNothingToRemove = 324;
inline constexpr unsigned kNotRemovable = 325;
inline constexpr unsigned kTitleRemovalError = 326;
inline constexpr unsigned kTitleRemoved = 327;
inline constexpr unsigned kTitleRemovalUnnecessary = 328;
// The lowest and the highest of the ids above.
inline constexpr unsigned kFirstId = kInstallFailed;
inline constexpr unsigned kLastId = kTitleRemovalUnnecessary;
}  // namespace msg

// Every caller loads texts with this capacity (terminator included).
inline constexpr int kMessageCapacity = 512;
// wsprintfW's limit on a composed text, terminator included.
inline constexpr int kComposedCapacity = 1024;
// Not localised: inserted into every language as it stands.
inline constexpr char16_t kPackageWord[] = u"service pack";

// MessageBoxW flags.
inline constexpr unsigned kErrorBoxFlags = 0x50010;        // OK, error icon, foreground, topmost
inline constexpr unsigned kInformationBoxFlags = 0x50040;  // OK, information icon, foreground, topmost
inline constexpr unsigned kListBoxFlags = 0x50000;         // OK, no icon, foreground, topmost
inline constexpr unsigned kRetryCancelBoxFlags = 0x50015;  // Retry/Cancel, error icon, foreground, topmost

inline constexpr int kAnswerCancel = 2;
inline constexpr int kAnswerRetry = 4;
inline constexpr int kAnswerNo = 7;
