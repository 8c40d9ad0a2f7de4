#pragma once

#include <string>

#include "build_settings.h"

// Products at or above this version already carry the update.
inline constexpr char16_t kUpToDateVersion[] = BUILD_UP_TO_DATE_VERSION;

// Compares dotted versions part by part as numbers; missing parts count as 0.
// Negative, zero or positive like strcmp.
int CompareVersions(const std::u16string& a, const std::u16string& b);
