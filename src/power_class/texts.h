// Plan texts as the platform takes them: UTF-16 code units followed by one NUL, sized in
// bytes as a 32-bit number.
#pragma once

#include "platform/conversions.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace Calvoro::detail {

/// The byte size of `codeUnits` code units and their NUL, or nothing when it does not fit
/// 32 bits (the platform would see a truncated size).
constexpr std::optional<std::uint32_t> NulTerminatedByteSize(std::size_t codeUnits) {
    constexpr std::uint64_t kLimit = UINT32_MAX;
    const std::uint64_t units = codeUnits;
    if (units >= kLimit / sizeof(char16_t)) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>((units + 1) * sizeof(char16_t));
}

}  // namespace Calvoro::detail
