#pragma once

// Loading system libraries (win32_libraries.cpp; tests link a double).

#include <string>

#include "common/unique_handle.h"

namespace platform {

// Has every library load look in the system directory only, so that a DLL planted
// beside the executable (a downloads folder) never runs with its rights. False
// when the system cannot; LoadSystemLibrary keeps to the system directory anyway.
bool RestrictLibrarySearch();

struct LibraryTraits {
    using Handle = void*;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle module);
};
using Library = UniqueHandle<LibraryTraits>;

// A library by file name ("msi.dll"), from the system directory only.
Library LoadSystemLibrary(const std::u16string& name);

}  // namespace platform
