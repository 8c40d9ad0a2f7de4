#pragma once

// The Win32 and installer error numbers the program reacts to or reports, named
// once. The installer's results are Win32 error codes too.

#include <cstdint>

namespace errors {

inline constexpr std::uint32_t kSuccess = 0;
inline constexpr std::uint32_t kFileNotFound = 2;
inline constexpr std::uint32_t kPathNotFound = 3;
inline constexpr std::uint32_t kAccessDenied = 5;
inline constexpr std::uint32_t kInvalidHandle = 6;
// A file no longer holds, or a name no longer leads to, what was checked.
inline constexpr std::uint32_t kInvalidData = 13;
inline constexpr std::uint32_t kSharingViolation = 32;
inline constexpr std::uint32_t kFileExists = 80;
inline constexpr std::uint32_t kOpenFailed = 110;
inline constexpr std::uint32_t kDiskFull = 112;
// A path the installer would not read as the one file it names.
inline constexpr std::uint32_t kInvalidName = 123;
// The full path cannot be formed or the installer would not take it.
inline constexpr std::uint32_t kBadPathName = 161;
inline constexpr std::uint32_t kAlreadyExists = 183;
inline constexpr std::uint32_t kFilenameTooLong = 206;
inline constexpr std::uint32_t kMoreData = 234;
inline constexpr std::uint32_t kNoMoreItems = 259;
inline constexpr std::uint32_t kDirectory = 267;  // a file where a folder was named
// ReplaceFile: the old file stayed under its name; the new one under its own.
inline constexpr std::uint32_t kUnableToRemoveReplaced = 1175;
inline constexpr std::uint32_t kUnableToMoveReplacement = 1176;
// ReplaceFile: the old file is at backup, the new one under its own name.
inline constexpr std::uint32_t kUnableToMoveReplacement2 = 1177;
inline constexpr std::uint32_t kResourceTypeNotFound = 1813;

// The installer's.
// The user gave up (a watched application stayed open).
inline constexpr std::uint32_t kUserExit = 1602;
// A failure that left no code of its own, or a success the installer's
// registration contradicts.
inline constexpr std::uint32_t kInstallFailure = 1603;
inline constexpr std::uint32_t kUnknownProduct = 1605;
inline constexpr std::uint32_t kUnknownProperty = 1608;
inline constexpr std::uint32_t kBadConfiguration = 1610;
// The service busy with another installation.
inline constexpr std::uint32_t kInstallAlreadyRunning = 1618;
inline constexpr std::uint32_t kPackageInvalid = 1620;
inline constexpr std::uint32_t kPackageRejected = 1625;
// A command line the program or the installer refuses.
inline constexpr std::uint32_t kInvalidCommandLine = 1639;
inline constexpr std::uint32_t kRebootInitiated = 1641;
// A patch that applies to no product here.
inline constexpr std::uint32_t kPatchTargetNotFound = 1642;
// The patch is registered as one that may not be removed.
inline constexpr std::uint32_t kPatchRemovalUnsupported = 1646;
inline constexpr std::uint32_t kUnknownPatch = 1647;
inline constexpr std::uint32_t kRebootRequired = 3010;

}  // namespace errors
