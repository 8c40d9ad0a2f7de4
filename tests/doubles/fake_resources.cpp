// The resources double: string tables as the resource compiler lays them out.
#include "doubles/fake_platform.h"

#include "common/error_codes.h"

#include <optional>
#include <set>

#include "common/text.h"
#include "platform/resources.h"
#include "platform/thread_state.h"

namespace fake {
namespace {

// This area's part of the double's state.
ResourceState& State() { return Platform().resources; }

const Resource* Find(const std::u16string& type, const std::u16string& name,
                     std::optional<std::uint16_t> language)
{
    const Resource* any = nullptr;
    for (const auto& r : State().entries) {
        if (r.type != type || r.name != name) {
            continue;
        }
        if (language) {
            if (r.language == *language || r.language == 0) {
                return &r;
            }
            continue;
        }
        if (r.language == State().fallbackLanguage) {
            return &r;
        }
        if (any == nullptr) {
            any = &r;
        }
    }
    return any;
}

platform::ResourceResult Load(const Resource* r, platform::ResourceBytes& bytes)
{
    if (r == nullptr) {
        platform::SetLastError(errors::kResourceTypeNotFound);
        return platform::ResourceResult::Missing;
    }
    if (r->unloadable || r->bytes.empty()) {
        return platform::ResourceResult::Unloadable;
    }
    bytes.data = r->bytes.data();
    bytes.size = r->bytes.size();
    return platform::ResourceResult::Found;
}

}  // namespace

void AddStringTable(std::uint16_t language, const std::map<unsigned, std::u16string>& texts)
{
    std::map<unsigned, std::vector<std::uint8_t>> blocks;
    std::set<unsigned> blockIds;
    for (const auto& [id, text] : texts) {
        blockIds.insert(id / 16 + 1);
    }
    for (unsigned block : blockIds) {
        std::vector<std::uint8_t> bytes;
        for (unsigned slot = 0; slot < 16; ++slot) {
            const unsigned id = (block - 1) * 16 + slot;
            const auto it = texts.find(id);
            const std::u16string text = it == texts.end() ? std::u16string() : it->second;
            const auto length = static_cast<std::uint16_t>(text.size());
            bytes.push_back(static_cast<std::uint8_t>(length & 0xFF));
            bytes.push_back(static_cast<std::uint8_t>(length >> 8));
            for (char16_t c : text) {
                bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
                bytes.push_back(static_cast<std::uint8_t>(c >> 8));
            }
        }
        State().entries.push_back(
            Resource{u"#6", u"#" + ToDecimal(block), language, std::move(bytes), false});
    }
}

}  // namespace fake

namespace platform {
namespace {

// This area's part of the double's state.
fake::ResourceState& State() { return fake::Platform().resources; }

}  // namespace

void SetModuleHandle(void* module) { State().module = module; }

void* ModuleHandle() { return State().module; }

ResourceResult LoadResource(const std::u16string& type, const std::u16string& name,
                            ResourceBytes& bytes)
{
    return fake::Load(fake::Find(type, name, std::nullopt), bytes);
}

ResourceResult LoadResourceInLanguage(const std::u16string& type, const std::u16string& name,
                                      std::uint16_t language, ResourceBytes& bytes)
{
    return fake::Load(fake::Find(type, name, language), bytes);
}

}  // namespace platform
