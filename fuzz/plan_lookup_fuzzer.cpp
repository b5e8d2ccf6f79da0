// Feeds arbitrary UTF-16 text, lone surrogates and all, to the plan lookup and to the
// letter-case comparison it uses, on the simulated machine. Nothing may crash; the comparison
// is reflexive and symmetric, and the lookup's candidates are what its outcome says.
#include <calvoro/power_plans.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::u16string text(size / 2, u'\0');
    if (!text.empty()) {
        std::memcpy(text.data(), data, text.size() * sizeof(char16_t));
    }
    const std::size_t half = text.size() / 2;
    const std::u16string a = text.substr(0, half);
    const std::u16string b = text.substr(half);
    if (!Calvoro::SameIgnoringCase(a, a) ||
        Calvoro::SameIgnoringCase(a, b) != Calvoro::SameIgnoringCase(b, a)) {
        std::abort();
    }
    using Outcome = Calvoro::PlanLookup::Outcome;
    const Calvoro::PlanLookup lookup = Calvoro::FindPlan(text);
    const std::size_t candidates = lookup.candidates.size();
    const bool consistent = lookup.outcome == Outcome::Found     ? candidates == 1
                            : lookup.outcome == Outcome::Several ? candidates > 1
                                                                 : candidates == 3;
    if (!consistent) {
        std::abort();
    }
    return 0;
}
