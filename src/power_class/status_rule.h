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

/// True when the platform reported success: HresultFromWin32(status) is 0 or more. Only a
/// status of 0 achieves that (a negative status passes unchanged, a positive one becomes a
/// failure code), so the test is that, which costs one instruction on every write.
constexpr bool Succeeded(std::uint32_t status) { return status == 0; }
static_assert(Succeeded(0) == (HresultFromWin32(0) >= 0) &&
              Succeeded(1) == (HresultFromWin32(1) >= 0) &&
              Succeeded(0x7FFFFFFF) == (HresultFromWin32(0x7FFFFFFF) >= 0) &&
              Succeeded(0x80000000) == (HresultFromWin32(0x80000000) >= 0) &&
              Succeeded(0xFFFFFFFF) == (HresultFromWin32(0xFFFFFFFF) >= 0));

/// `condition`, marked as the usual outcome: the hot paths wrap their success test in it, so
/// that the compiler lays the failure path out of the way of the call that succeeds.
constexpr bool Usually(bool condition) {
#if defined(__GNUC__) || defined(__clang__)
    return __builtin_expect(condition, true);
#else
    return condition;
#endif
}

}  // namespace Calvoro::detail
