#pragma once

#include <cstdint>

// Takes the embedded patch off every installed target that has it registered.
// Returns the outcome in the codes deployment tools read: 0 when it was removed
// from each (or none had it), 3010 / 1641 when a product needs a restart; 1646
// when it is registered as not removable on a product (then nothing is removed);
// 1602 when a watched application stayed open; else the code of the failure.
std::uint32_t RunUninstall();
