// A plan's name and description: the two-call read of the name, and the write of both.
#include <calvoro/power_class.h>

#include "platform/conversions.h"
#include "platform/platform.h"
#include "status_rule.h"
#include "texts.h"
#include "zero_filled_block.h"

#include <cstdio>
#include <exception>
#include <string>

namespace Calvoro {
namespace {

// The library's one output: a platform exception's message while reading a name, folded
// into one line so that it cannot be mistaken for several.
void PrintOneLine(const char* message) {
    std::string line;
    for (const char* c = message; *c != '\0'; ++c) {
        const bool lineBreak = *c == '\n' || *c == '\r';
        if (!lineBreak) {
            line += *c;
        } else if (line.empty() || line.back() != ' ') {
            line += ' ';
        }
    }
    line += '\n';
    // One write, so that lines from concurrent calls do not interleave. A line that cannot
    // be written has nowhere else to go: the result of the read does not depend on it.
    (void)std::fwrite(line.data(), 1, line.size(), stdout);
    (void)std::fflush(stdout);
}

using WriteText = platform::Status (*)(platform::RootKey, const GUID*, const GUID*, const GUID*,
                                       const std::uint8_t*, std::uint32_t);

bool Write(WriteText write, const GUID* scheme, const std::u16string& text) {
    const auto bytes = detail::NulTerminatedByteSize(detail::LengthBeforeNul(text));
    if (!bytes) {
        return false;
    }
    // c_str() holds the code units and a NUL; `bytes` ends at the first NUL in it.
    const auto* buffer = reinterpret_cast<const std::uint8_t*>(text.c_str());
    return detail::Succeeded(write(nullptr, scheme, nullptr, nullptr, buffer, *bytes));
}

}  // namespace

std::optional<std::u16string> PowerClass::ReadPowerSchemeName(
    const Guid& PowerSchemeGuid) const {
    const GUID record = detail::ToPlatformRecord(PowerSchemeGuid);
    const GUID* scheme = &record;

    platform::Status status = platform::status::Success;
    std::uint32_t size = 0;
    try {
        status = platform::PowerReadFriendlyName(nullptr, scheme, nullptr, nullptr, nullptr,
                                                 &size);
    } catch (...) {
        // A failed size query means there is no name to read; nothing to report.
        status = platform::status::Success;
        size = 0;
    }
    if (status != platform::status::Success || size == 0) {
        return std::nullopt;
    }

    const detail::ZeroFilledBlock block(size);
    if (!block) {
        return std::nullopt;
    }
    try {
        status = platform::PowerReadFriendlyName(nullptr, scheme, nullptr, nullptr,
                                                 block.data(), &size);
    } catch (const std::exception& error) {
        PrintOneLine(error.what());
        return std::nullopt;  // a read that failed is no name, not an empty one
    } catch (...) {
        PrintOneLine("PowerReadFriendlyName raised an exception that is not a std::exception");
        return std::nullopt;
    }
    if (status != platform::status::Success) {
        return std::nullopt;
    }
    return detail::TextUpToNul(block.data(), block.size());
}

std::int32_t PowerClass::WritePowerSchemeNameDescription(
    const Guid& PowerSchemeGuid, const std::u16string& SchemeName,
    const std::u16string& SchemeDescription) const {
    const GUID record = detail::ToPlatformRecord(PowerSchemeGuid);
    const GUID* scheme = &record;
    if (!Write(platform::PowerWriteFriendlyName, scheme, SchemeName)) {
        return 0;
    }
    return Write(platform::PowerWriteDescription, scheme, SchemeDescription) ? 1 : 0;
}

}  // namespace Calvoro
