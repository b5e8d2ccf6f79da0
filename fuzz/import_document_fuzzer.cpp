// The import document's reader and checker: never crash on any input, accept every document
// that export can write, and what they accept writes out and reads back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "errors.h"
#include "plan_document.h"

namespace {

using calvoro_cli::InstalledPlan;
using calvoro_cli::PlanEntry;

const std::vector<InstalledPlan> kInstalled = {
    {Calvoro::Guid::Parse("381B4222-F694-41F0-9685-FF5BB260DF2E"), u"Balanced"},
    {Calvoro::Guid::Parse("8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C"), u"High performance"},
    {Calvoro::Guid::Parse("A1841308-3541-4FAB-BC81-F71556F20B4A"), std::nullopt},
};

void RequireRoundTrip(const std::vector<PlanEntry>& entries) {
    const nlohmann::json written = calvoro_cli::DocumentToJson(entries);
    const auto read = calvoro_cli::CheckDocument(nlohmann::json::parse(written.dump()), kInstalled);
    if (calvoro_cli::DocumentToJson(read) != written) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Any bytes, as a document: read as import reads it, repeated keys refused.
    try {
        const std::string text(reinterpret_cast<const char*>(data), size);
        RequireRoundTrip(calvoro_cli::CheckDocument(calvoro_cli::ParseDocument(text), kInstalled));
    } catch (const calvoro_cli::UsageError&) {
        // refused, with the place named: fine
    }

    // What export writes for these plans, with minutes taken from the bytes, is accepted.
    std::vector<PlanEntry> exported;
    std::size_t at = 0;
    for (const InstalledPlan& plan : kInstalled) {
        PlanEntry entry{plan.id, plan.name, std::nullopt, {}};
        for (auto& minutes : entry.minutes) {
            std::uint32_t value = 0;
            for (int byte = 0; byte < 4; ++byte, ++at) {
                value = (value << 8) | (at < size ? data[at] : 0u);
            }
            minutes = value % (Calvoro::MaxTimerMinutes + 1);
        }
        exported.push_back(entry);
    }
    try {
        RequireRoundTrip(exported);
    } catch (const calvoro_cli::UsageError&) {
        std::abort();  // export's own document refused
    }
    return 0;
}
