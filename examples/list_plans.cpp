// Lists the installed power plans with their names and six timeouts, in minutes.
#include <calvoro/calvoro.h>

#include <utf8.h>

#include <iostream>

namespace {

void PrintMinutes(const char* label, std::uint32_t ac, std::uint32_t dc) {
    std::cout << "  " << label << ": AC " << ac << " min, DC " << dc << " min\n";
}

}  // namespace

int main() {
    const Calvoro::PowerClass power;
    for (std::uint32_t index = 0;; ++index) {
        const Calvoro::Guid plan = power.EnumPowerSchemeGuid(index);
        if (plan == Calvoro::NoPowerSchemeGuid) {
            break;
        }
        const auto name = power.ReadPowerSchemeName(plan);
        std::cout << plan << "  " << (name ? utf8::utf16to8(*name) : "(no name)") << '\n';
        PrintMinutes("sleep", power.GetSleepTimer(plan, true), power.GetSleepTimer(plan, false));
        PrintMinutes("hibernate", power.GetHibernationTimer(plan, true),
                     power.GetHibernationTimer(plan, false));
        PrintMinutes("display", power.GetDisplayTimer(plan, true),
                     power.GetDisplayTimer(plan, false));
    }
}
