#pragma once

#include <cstdint>

// Applies the embedded patch to every installed product that needs it. Returns
// the outcome in the codes deployment tools read: 0, or 3010 / 1641 when a
// product needs a restart; 1642 when no present product could take the patch;
// 1602 when a watched application stayed open; else the code of the failure,
// 1618 (another installation in progress) before any other.
std::uint32_t RunInstall();

// The exit code of a step that failed with `error`: that error, never 0.
std::uint32_t FailureCode(std::uint32_t error);
