// The plan document's reader, on the simulated machine: never crash on any input; a document it
// accepts applies whole (the plans it makes included), after which reading it again asks for
// nothing more; and what export writes reads back asking for nothing.
#include <calvoro/plan_document.h>
#include <calvoro/simulation.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

// Applies every change a document asks for; then the document must ask for nothing more.
void RequireImportedWhole(const std::string& text, bool skipUnknown, bool create) {
    for (const Calvoro::DocumentChange& change :
         Calvoro::ReadDocument(text, skipUnknown, create).changes) {
        const bool skipped = change.kind == Calvoro::DocumentChange::Kind::Skipped;
        if (!skipped &&
            Calvoro::ApplyDocumentChange(change).outcome != Calvoro::SettingOutcome::Done) {
            std::abort();
        }
    }
    for (const Calvoro::DocumentChange& change : Calvoro::ReadDocument(text, skipUnknown).changes) {
        if (change.kind != Calvoro::DocumentChange::Kind::Skipped) {
            std::abort();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Calvoro::Simulation::Reset();
    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        RequireImportedWhole(text, size % 2 == 0, size % 3 != 0);
    } catch (const Calvoro::DocumentError&) {
        return 0;  // refused whole, with the place named: fine
    }
    // What export writes of the machine as the document left it reads back asking for nothing.
    std::string exported;
    try {
        exported = Calvoro::ExportPlans();
    } catch (const std::invalid_argument&) {
        return 0;  // a name that UTF-8 cannot carry is not exported
    }
    RequireImportedWhole(exported, false, false);  // a DocumentError here ends the run: a finding
    return 0;
}
