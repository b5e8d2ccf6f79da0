#include "fake_platform.h"

#include "platform/platform.h"
#include "power_class/identifiers.h"

#include <cstdlib>

namespace fake {

Platform& State() {
    static Platform platform;
    return platform;
}

void Reset() { State() = Platform{}; }

}  // namespace fake

namespace Calvoro::platform {
namespace {

std::optional<Guid> Id(const GUID* record) {
    if (record == nullptr) {
        return std::nullopt;
    }
    return detail::FromPlatformRecord(*record);
}

Status Record(const char* operation, RootKey root, const GUID* scheme, const GUID* subgroup,
              const GUID* setting, std::uint32_t value, bool outputGiven) {
    fake::State().calls.push_back(
        {operation, root, Id(scheme), Id(subgroup), Id(setting), value, outputGiven});
    return fake::State().status;
}

Status ReadValue(const char* operation, RootKey root, const GUID* scheme,
                 const GUID* subgroup, const GUID* setting, std::uint32_t* value) {
    const Status status = Record(operation, root, scheme, subgroup, setting, 0, value != nullptr);
    if (value != nullptr && fake::State().readValue) {
        *value = *fake::State().readValue;
    }
    return status;
}

}  // namespace

Status PowerEnumerate(RootKey root, const GUID* scheme, const GUID* subgroup,
                      std::uint32_t, std::uint32_t, std::uint8_t*, std::uint32_t*) {
    return Record("PowerEnumerate", root, scheme, subgroup, nullptr, 0, false);
}

Status PowerReadFriendlyName(RootKey root, const GUID* scheme, const GUID* subgroup,
                             const GUID* setting, std::uint8_t*, std::uint32_t*) {
    return Record("PowerReadFriendlyName", root, scheme, subgroup, setting, 0, false);
}

Status PowerWriteFriendlyName(RootKey root, const GUID* scheme, const GUID* subgroup,
                              const GUID* setting, const std::uint8_t*, std::uint32_t size) {
    return Record("PowerWriteFriendlyName", root, scheme, subgroup, setting, size, false);
}

Status PowerWriteDescription(RootKey root, const GUID* scheme, const GUID* subgroup,
                             const GUID* setting, const std::uint8_t*, std::uint32_t size) {
    return Record("PowerWriteDescription", root, scheme, subgroup, setting, size, false);
}

Status PowerReadACValueIndex(RootKey root, const GUID* scheme, const GUID* subgroup,
                             const GUID* setting, std::uint32_t* value) {
    return ReadValue("PowerReadACValueIndex", root, scheme, subgroup, setting, value);
}

Status PowerReadDCValueIndex(RootKey root, const GUID* scheme, const GUID* subgroup,
                             const GUID* setting, std::uint32_t* value) {
    return ReadValue("PowerReadDCValueIndex", root, scheme, subgroup, setting, value);
}

Status PowerWriteACValueIndex(RootKey root, const GUID* scheme, const GUID* subgroup,
                              const GUID* setting, std::uint32_t value) {
    return Record("PowerWriteACValueIndex", root, scheme, subgroup, setting, value, false);
}

Status PowerWriteDCValueIndex(RootKey root, const GUID* scheme, const GUID* subgroup,
                              const GUID* setting, std::uint32_t value) {
    return Record("PowerWriteDCValueIndex", root, scheme, subgroup, setting, value, false);
}

void* LocalAlloc(std::uint32_t, std::size_t bytes) { return std::calloc(1, bytes); }

void* LocalFree(void* block) {
    std::free(block);
    return nullptr;
}

}  // namespace Calvoro::platform
