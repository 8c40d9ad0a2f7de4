#pragma once

#include <string>

#include "platform/files.h"

// The embedded patch in a new temporary file, held open for reading only so
// that no other process can change, rename or delete it while the installer
// reads it by name. Going out of scope deletes the file it holds.
class TempPatch {
public:
    TempPatch() = default;
    ~TempPatch();
    TempPatch(const TempPatch&) = delete;
    TempPatch& operator=(const TempPatch&) = delete;

    // Writes the copy, holds it and checks it byte for byte against the
    // payload; false, with the reason in the last-error value, if any step fails.
    bool Create();
    // The path to hand the installer now: the final path of the file held (not
    // the name it was made under, since a link on the way may have been switched),
    // taken again and confirmed to open that very file; false (a refusal)
    // otherwise. Called just before each installer call that opens the patch by name.
    bool CheckedPath(std::u16string& path) const;

private:
    std::u16string created_;  // empty until extraction made a file of ours
    platform::File held_;
};

// The target-product list of the embedded patch, read through a TempPatch that
// is gone on return. productList is replaced only on success.
bool ReadEmbeddedPatchTemplate(std::u16string& productList);
