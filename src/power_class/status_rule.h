// How write operations judge a platform status.
#pragma once

#include <cstdint>

namespace Calvoro::detail {

/// Windows' HRESULT_FROM_WIN32: a status that is 0 or negative (read as signed 32 bits)
/// passes unchanged; a positive one becomes a failure code in the Win32 facility.
constexpr std::int32_t HresultFromWin32(std::uint32_t status) {
    const auto asSigned = static_cast<std::int32_t>(status);
    if (asSigned <= 0) {
        return asSigned;
    }
    return static_cast<std::int32_t>((status & 0xFFFFu) | 0x80070000u);
}

/// True when the platform reported success: the result code of the status is 0 or more.
/// (Only a status of 0 achieves that; the compiler folds the rule into that one test.)
constexpr bool Succeeded(std::uint32_t status) { return HresultFromWin32(status) >= 0; }

}  // namespace Calvoro::detail
