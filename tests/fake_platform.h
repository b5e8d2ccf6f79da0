// A recording stand-in for the platform boundary: every call is recorded with its exact
// arguments, and the test says what the calls answer.
#pragma once

#include <calvoro/guid.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace fake {

struct Call {
    std::string operation;
    const void* root = nullptr;
    std::optional<Calvoro::Guid> scheme;    // nullopt when the pointer was null
    std::optional<Calvoro::Guid> subgroup;
    std::optional<Calvoro::Guid> setting;
    std::uint32_t value = 0;                 // a value written, or a size passed
    bool outputGiven = false;                // a value or buffer pointer was passed
};

/// What the fake answers, and what it saw. Reset before each test.
struct Platform {
    std::vector<Call> calls;
    std::uint32_t status = 0;                 // returned by every call
    std::optional<std::uint32_t> readValue;   // written by the value reads, when set
};

Platform& State();
void Reset();

}  // namespace fake
