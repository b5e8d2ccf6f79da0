// Lists each plan with its sleep timeout on mains power, then changes Balanced's.
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
}
