// Lists each plan with its sleep timeout on mains power, then changes Balanced's; then finds a
// plan as a person names it, applies it, and records it as the default on battery; then tells
// the power source and the power mode.
#include <calvoro/calvoro.h>

#include <iostream>

int main() {
    const Calvoro::PowerClass power;
    for (std::uint32_t i = 0;; ++i) {
        const Calvoro::Guid plan = power.EnumPowerSchemeGuid(i);
        if (plan == Calvoro::NoPowerSchemeGuid) {
            break;  // past the last plan
        }
        const std::optional<std::u16string> name = power.ReadPowerSchemeName(plan);
        std::cout << plan << (name ? "" : " (no name)") << ": sleep "
                  << power.GetSleepTimer(plan, /*bOnAC=*/true) << " min on AC\n";
    }
    const auto balanced = Calvoro::Guid::Parse("381B4222-F694-41F0-9685-FF5BB260DF2E");
    const bool stored = power.SetSleepTimer(balanced, /*bOnAC=*/true, 15);
    std::cout << (stored ? "Balanced sleeps after 15 min on AC" : "the platform refused") << '\n';

    // Beside the class: the library's own operations (<calvoro/power_plans.h>).
    const Calvoro::PlanLookup found = Calvoro::FindPlan(u"power SAVER");  // id, alias or name
    if (found.outcome == Calvoro::PlanLookup::Outcome::Found &&
        Calvoro::ActivatePlan(found.candidates[0].id) == Calvoro::Activation::Applied) {
        Calvoro::SetDefaultPlan(Calvoro::PowerSource::DC, found.candidates[0].id);
        std::cout << "active now: " << *Calvoro::ActivePlan() << ", the default on battery\n";
    }
    // What the machine runs on, and the power mode (Windows 11) on battery.
    const Calvoro::PowerSourceState now = Calvoro::ReadPowerSource();
    const Calvoro::PowerModeReading mode = Calvoro::GetPowerMode(Calvoro::PowerSource::DC);
    std::cout << (now.source == Calvoro::PowerSource::AC ? "on mains power" : "not on mains power")
              << (mode.mode == Calvoro::PowerMode::Balanced ? ", balanced on battery\n" : "\n");
}
