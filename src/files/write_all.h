#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "platform/files.h"

// Writes all bytes to the file and closes it, since an open file can be neither
// deleted nor moved; the last error survives the closing. A durable file is on
// disk before it returns, so a power cut after it replaced another cannot leave
// an empty file in that one's place.
bool WriteAll(platform::File file, std::span<const std::uint8_t> bytes, bool durable);

// Removes a file left incomplete; the caller's message still needs the reason.
void DiscardKeepingError(const std::u16string& path);
