// UTF-8 on the command line and in JSON, UTF-16 in the library.
#pragma once

#include <string>
#include <string_view>

namespace calvoro_cli {

/// `utf8` as UTF-16; throws UsageError naming `what` when it is not valid UTF-8.
std::u16string ToUtf16(std::string_view utf8, std::string_view what);

/// `utf16` as UTF-8, exactly; throws std::invalid_argument when it holds a lone surrogate,
/// which UTF-8 cannot carry.
std::string ToUtf8(const std::u16string& utf16);

/// `utf16` as UTF-8 for display: a lone surrogate shows as U+FFFD.
std::string ToUtf8ForDisplay(const std::u16string& utf16);

}  // namespace calvoro_cli
