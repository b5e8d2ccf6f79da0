// A recording stand-in for the platform boundary: every call is recorded with its exact
// arguments, and the test says what the calls answer.
#pragma once

#include <calvoro/guid.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace fake {

struct Call {
    std::string operation;
    const void* root = nullptr;
    std::optional<Calvoro::Guid> scheme;  // nullopt when the pointer was null
    std::optional<Calvoro::Guid> subgroup;
    std::optional<Calvoro::Guid> setting;
    std::uint32_t value = 0;   // a value written, a size passed, or *size on entry
    bool outputGiven = false;  // a value or buffer pointer was passed
    std::uint32_t accessFlags = 0;
    std::uint32_t index = 0;
    std::vector<std::uint8_t> bytes;  // what a text write passed, `value` bytes of it
    std::u16string keyPath;           // what a registry call asked for
    std::u16string valueName;
    std::u16string text;  // what a registry write stored
};

/// Answers a PowerReadFriendlyName call; may write through both pointers, or raise.
using NameReader = std::function<std::uint32_t(std::uint8_t* buffer, std::uint32_t* size)>;

/// What the fake answers, and what it saw. Reset before each test.
struct Platform {
    std::vector<Call> calls;
    std::uint32_t status = 0;                          // returned by every call...
    std::map<std::string, std::uint32_t> statusFor;    // ...but these operations
    std::optional<std::uint32_t> readValue;            // written by the value reads, when set
    std::vector<std::uint8_t> enumerated;              // written by PowerEnumerate, when set
    std::optional<std::uint32_t> enumerationEnds;      // PowerEnumerate: no item from this index
    NameReader readName;                               // answers PowerReadFriendlyName, when set
    Calvoro::platform::RegistryAnswer registryAnswer;  // answers every registry read

    // The settings model's calls.
    std::vector<std::string_view> missingCalls;  // what MissingSettingCalls names
    std::uint32_t attributes = 0;                // PowerReadSettingAttributes' answer
    bool ranged = false;                         // PowerIsSettingRangeDefined's answer
    std::uint32_t possibleValues = 0;            // PowerReadPossibleValue succeeds below this index

    std::vector<std::size_t> allocations;  // sizes asked of LocalAlloc, in order
    std::vector<std::uint32_t> allocationFlags;
    bool failAllocation = false;
    int liveBlocks = 0;
};

Platform& State();
void Reset();

}  // namespace fake
