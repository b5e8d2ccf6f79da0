// A text that the platform hands out in two calls, as Windows' PowerRead* calls do: the size
// first (no buffer), then the text into a buffer of that size.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/conversions.h"
#include "platform/platform.h"

namespace Calvoro::detail {

/// The text that `read(buffer, size)` gives, up to its first NUL; none when the platform
/// fails. A text that grew since the size query is asked for again, a few times.
template <typename Read>
std::optional<std::u16string> ReadSizedText(Read&& read) {
    std::uint32_t size = 0;
    if (read(nullptr, &size) != platform::status::Success) {
        return std::nullopt;
    }
    for (int attempt = 0; attempt < 4; ++attempt) {
        std::vector<std::uint8_t> buffer(size);
        const platform::Status status = read(buffer.data(), &size);
        if (status == platform::status::Success) {
            return TextUpToNul(buffer.data(), std::min<std::size_t>(size, buffer.size()));
        }
        if (status != platform::status::MoreData) {
            break;
        }
    }
    return std::nullopt;
}

}  // namespace Calvoro::detail
