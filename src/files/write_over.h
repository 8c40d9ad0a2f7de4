#pragma once

#include <cstdint>
#include <span>
#include <string>

// Writes bytes to path beside it and moves the copy over it once complete and
// on disk, so that a failure never costs the user an existing file: an existing
// target keeps its identity (security, attributes, streams), and on failure it
// is as it was, nothing written stays behind and the last error holds the reason.
// Only a plain file, or nothing yet, may stand at path.
bool WriteOver(const std::u16string& path, std::span<const std::uint8_t> bytes);
