#pragma once

// Win32 error codes the core reacts to.

#include <cstdint>

namespace platform {

inline constexpr std::uint32_t kErrorAccessDenied = 5;
inline constexpr std::uint32_t kErrorFileExists = 80;
inline constexpr std::uint32_t kErrorAlreadyExists = 183;
inline constexpr std::uint32_t kErrorFileNotFound = 2;
inline constexpr std::uint32_t kErrorSharingViolation = 32;
// ReplaceFile: the old file stayed under its name; the new one under its own.
inline constexpr std::uint32_t kErrorUnableToRemoveReplaced = 1175;
inline constexpr std::uint32_t kErrorUnableToMoveReplacement = 1176;
// ReplaceFile: the old file is at backup, the new one under its own name.
inline constexpr std::uint32_t kErrorUnableToMoveReplacement2 = 1177;
// A file no longer holds, or a name no longer leads to, what was checked.
inline constexpr std::uint32_t kErrorInvalidData = 13;
// A path the installer would not read as the one file it names.
inline constexpr std::uint32_t kErrorInvalidName = 123;
inline constexpr std::uint32_t kErrorDirectory = 267;  // a file where a folder was named
inline constexpr std::uint32_t kErrorFilenameTooLong = 206;

}  // namespace platform
