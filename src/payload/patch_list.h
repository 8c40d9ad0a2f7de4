#pragma once

#include <string>

// Appends the embedded patch-list texts to patchListPath; an empty path gets
// the default name derived from the patch's target products.
bool ExportPatchList(std::u16string& patchListPath);

// The default file name for a patch's product-list text.
std::u16string DefaultPatchListName(const std::u16string& productList);
