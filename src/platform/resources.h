#pragma once

// The operating system's side of the module and its resources
// (win32_resources.cpp; tests link a double).

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

void SetModuleHandle(void* module);
void* ModuleHandle();

struct ResourceBytes {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
};

enum class ResourceResult {
    Found,
    Missing,     // no such resource
    Unloadable,  // found, but of size 0 or it could not be loaded or locked
};

// type and name are texts, or "#<decimal>" for a numeric identifier. The bytes
// stay valid for the life of the process (they are the mapped image).
ResourceResult LoadResource(const std::u16string& type, const std::u16string& name,
                            ResourceBytes& bytes);

// Only the given language (or its neutral forms); no fallback to any other.
ResourceResult LoadResourceInLanguage(const std::u16string& type, const std::u16string& name,
                                      std::uint16_t language, ResourceBytes& bytes);

}  // namespace platform
