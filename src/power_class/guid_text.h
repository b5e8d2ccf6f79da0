// Reading GUID text, and quoting outside text in error messages.
#pragma once

#include <calvoro/guid.h>

#include <optional>
#include <string>
#include <string_view>

namespace Calvoro::detail {

/// The identifier that `text` denotes, or nothing; the forms are those of Guid::Parse.
std::optional<Guid> TryParseGuid(std::u16string_view text);

/// `text` in double quotes, safe to print: at most 64 characters of it ("..." marks a cut),
/// with quotes, backslashes, control characters and anything beyond ASCII escaped.
std::string QuoteForMessage(std::u16string_view text);

}  // namespace Calvoro::detail
