#pragma once

#include <string>

// Products at or above this version already carry the update.
inline constexpr char16_t kUpToDateVersion[] = u"13.3.0.5";

// Compares dotted versions part by part as numbers; missing parts count as 0.
// Negative, zero or positive like strcmp.
int CompareVersions(const std::u16string& a, const std::u16string& b);
