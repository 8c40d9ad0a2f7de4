// The Windows edge: the module handle and its resources.
#include "platform/win32_edge.h"

#include "platform/resources.h"

namespace platform {
namespace {

HMODULE g_module = nullptr;

ResourceResult LoadFound(HRSRC found, ResourceBytes& bytes)
{
    if (found == nullptr) {
        return ResourceResult::Missing;
    }
    const DWORD size = ::SizeofResource(g_module, found);
    if (size == 0) {
        return ResourceResult::Unloadable;
    }
    HGLOBAL loaded = ::LoadResource(g_module, found);
    const void* data = loaded != nullptr ? ::LockResource(loaded) : nullptr;
    if (data == nullptr) {
        return ResourceResult::Unloadable;
    }
    bytes.data = static_cast<const std::uint8_t*>(data);
    bytes.size = size;
    return ResourceResult::Found;
}

}  // namespace

void SetModuleHandle(void* module) { g_module = static_cast<HMODULE>(module); }
void* ModuleHandle() { return g_module; }

ResourceResult LoadResource(const std::u16string& type, const std::u16string& name,
                            ResourceBytes& bytes)
{
    return LoadFound(::FindResourceW(g_module, Wide(name), Wide(type)), bytes);
}

ResourceResult LoadResourceInLanguage(const std::u16string& type, const std::u16string& name,
                                      std::uint16_t language, ResourceBytes& bytes)
{
    return LoadFound(::FindResourceExW(g_module, Wide(type), Wide(name), language), bytes);
}

}  // namespace platform
