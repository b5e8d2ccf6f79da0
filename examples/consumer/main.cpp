// Uses an installed Calvoro: lists the plans, then shortens the first plan's display timeout.
#include <calvoro/calvoro.h>

#include <iostream>

int main() {
    const Calvoro::PowerClass power;
    const Calvoro::Guid first = power.EnumPowerSchemeGuid(0);
    if (first == Calvoro::NoPowerSchemeGuid) {
        std::cout << "no power plans\n";
        return 0;
    }
    for (std::uint32_t i = 0;; ++i) {
        const Calvoro::Guid plan = power.EnumPowerSchemeGuid(i);
        if (plan == Calvoro::NoPowerSchemeGuid) {
            break;
        }
        std::cout << plan << ": display off after " << power.GetDisplayTimer(plan, true)
                  << " min on AC\n";
    }
    if (!power.SetDisplayTimer(first, true, 5)) {
        std::cerr << "the platform did not store the display timeout\n";
        return 1;
    }
    std::cout << first << ": now " << power.GetDisplayTimer(first, true) << " min\n";
    return 0;
}
