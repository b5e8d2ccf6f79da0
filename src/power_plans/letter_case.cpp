// Letter case as plan names compare: each code point by its simple upper-case mapping, from
// a table that scripts/generate-case-table makes out of Unicode's own data.
#include <calvoro/power_plans.h>

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace Calvoro {
namespace {

struct UpperCase {
    std::uint32_t code;
    std::uint32_t upper;
};

constexpr UpperCase kUpperCase[] = {
#include "upper_case_table.inc"
};

std::uint32_t Upper(std::uint32_t code) {
    const auto* const end = std::end(kUpperCase);
    const auto* found = std::lower_bound(
        std::begin(kUpperCase), end, code,
        [](const UpperCase& row, std::uint32_t wanted) { return row.code < wanted; });
    return found != end && found->code == code ? found->upper : code;
}

// The code point that starts at `at`, which moves past it. A surrogate pair is one code
// point; a lone surrogate stands for itself, as its code unit.
std::uint32_t NextCodePoint(std::u16string_view text, std::size_t& at) {
    const std::uint32_t unit = text[at++];
    if (unit >= 0xD800 && unit <= 0xDBFF && at < text.size()) {
        const std::uint32_t low = text[at];
        if (low >= 0xDC00 && low <= 0xDFFF) {
            ++at;
            return 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        }
    }
    return unit;
}

}  // namespace

bool SameIgnoringCase(std::u16string_view a, std::u16string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (Upper(NextCodePoint(a, i)) != Upper(NextCodePoint(b, j))) {
            return false;
        }
    }
    return i == a.size() && j == b.size();
}

}  // namespace Calvoro
