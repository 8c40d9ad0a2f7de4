#pragma once

#include <cstdint>
#include <string>

#include "record/events.h"

class TempPatch;

// Applies the embedded patch to every installed product that needs it. Returns
// the outcome in the codes deployment tools read: 0, or 3010 / 1641 when a
// product needs a restart; 1642 when no present product could take the patch;
// 1602 when a watched application stayed open; else the code of the failure,
// 1618 (another installation in progress) before any other.
std::uint32_t RunInstall();

// What an installation would do, changing nothing: the same temporary copy,
// selection and record, with no running-application check, no box, no run lock
// and no installer call that changes anything. Returns 0 when nothing is to be
// done, 1 when a product would be patched, else the code the installation would
// end with (1642, a failure).
std::uint32_t RunCheck();

// Writes the held copy of the embedded patch and reads its code and product list
// from it; false with the step that failed (its error the last error).
bool OpenHeldPatch(TempPatch& patch, std::u16string& patchPath, std::u16string& patchCode,
                   std::u16string& productList, record::Step& failedStep);

// The exit code of a step that failed with `error`: that error, never 0.
std::uint32_t FailureCode(std::uint32_t error);
