#pragma once

#include "platform/platform.h"

// The embedded patch package's bytes, mapped for the life of the process.
bool LoadPayload(platform::ResourceBytes& payload);
