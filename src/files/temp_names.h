#pragma once

#include <cstdint>
#include <string>

#include "platform/files.h"

// Temporary names are "<folder>\MSP<n>", n counted up for the life of the process.
inline constexpr char16_t kTempPrefix[] = u"MSP";

// A generated name taken by someone else between check and creation is
// skipped; this bounds how often that may happen in one call.
inline constexpr int kMaxCreateRaces = 1000;

// The number behind temporary names lives for the process; tests start it afresh.
void ResetTempNameCounter();

// Whether a creation failed only because the name was taken.
bool IsExistsError(std::uint32_t error);

// Removes an existing file whose name may then be taken; true when it did.
using ReclaimName = bool (*)(const std::u16string& path);

// The next "<base><n>" that nothing has, or that reclaim cleared; false once
// checks keep being refused.
bool NextFreeName(const std::u16string& base, std::u16string& name, ReclaimName reclaim = nullptr);

// A free name from base that is not avoid's, ignoring case: a target of the same
// form as a side file's must not be taken for a free name.
bool NextFreeNameBut(const std::u16string& base, const std::u16string& avoid,
                     std::u16string& name);

// A new file named from base, starting at name, which ends as the name tried last.
// Never writes through a file someone planted under a predictable name.
platform::File CreateNewFile(const std::u16string& base, std::u16string& name,
                             platform::FileDisposition disposition, ReclaimName reclaim = nullptr);
