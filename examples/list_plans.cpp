// Shows Windows' standard power plans with their six timeouts, in minutes.
#include <calvoro/calvoro.h>

#include <iostream>

namespace {

void PrintMinutes(const char* label, std::uint32_t ac, std::uint32_t dc) {
    std::cout << "  " << label << ": AC " << ac << " min, DC " << dc << " min\n";
}

}  // namespace

int main() {
    const Calvoro::Guid standardPlans[] = {
        {0x381B4222, 0xF694, 0x41F0, {0x96, 0x85, 0xFF, 0x5B, 0xB2, 0x60, 0xDF, 0x2E}},
        {0x8C5E7FDA, 0xE8BF, 0x4A96, {0x9A, 0x85, 0xA6, 0xE2, 0x3A, 0x8C, 0x63, 0x5C}},
        {0xA1841308, 0x3541, 0x4FAB, {0xBC, 0x81, 0xF7, 0x15, 0x56, 0xF2, 0x0B, 0x4A}},
    };
    const Calvoro::PowerClass power;
    for (const Calvoro::Guid& plan : standardPlans) {
        std::cout << plan << '\n';
        PrintMinutes("sleep", power.GetSleepTimer(plan, true), power.GetSleepTimer(plan, false));
        PrintMinutes("hibernate", power.GetHibernationTimer(plan, true),
                     power.GetHibernationTimer(plan, false));
        PrintMinutes("display", power.GetDisplayTimer(plan, true),
                     power.GetDisplayTimer(plan, false));
    }
}
