#pragma once

#include "platform/resources.h"

// The embedded patch package's bytes, mapped for the life of the process.
bool LoadPayload(platform::ResourceBytes& payload);
