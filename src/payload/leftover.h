#pragma once

#include <string>

#include "platform/files.h"

// Whether the file, read from where its handle stands to its end, is byte for
// byte the embedded patch; a difference leaves ERROR_INVALID_DATA (13).
bool HoldsPayload(const platform::File& file);

// Removes the file at path when it is a copy a killed run of this program left:
// a file of its own (no link, one name) marked temporary, holding exactly the
// embedded patch, and open nowhere else (so no live run holds it). Anything
// else is left alone. True when it was removed.
bool RemoveIfLeftover(const std::u16string& path);
