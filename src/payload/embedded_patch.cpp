#include "payload/embedded_patch.h"
#include "platform/resources.h"

namespace {

constexpr char16_t kPayloadType[] = u"MSP";
constexpr char16_t kPayloadName[] = u"IDR_MSP";

}  // namespace

bool LoadPayload(platform::ResourceBytes& payload)
{
    return platform::LoadResource(kPayloadType, kPayloadName, payload) ==
           platform::ResourceResult::Found;
}
