// The program's own steps on Windows: the power API's calls for the active plan, applying a
// plan and a plan's description.
#include <calvoro/power_class.h>

#include "platform_steps.h"
#include "windows_memory.h"

#include <powrprof.h>

namespace calvoro_cli {

std::optional<Calvoro::Guid> ActivePlan() {
    windows::LocalMemory<GUID> active;
    if (::PowerGetActiveScheme(nullptr, active.Receive()) != ERROR_SUCCESS ||
        active.get() == nullptr) {
        return std::nullopt;
    }
    return Calvoro::FromGUID(*active.get());
}

bool ApplyPlan(const Calvoro::Guid& plan) {
    const GUID record = Calvoro::PowerClass().ToGUID(plan);
    return ::PowerSetActiveScheme(nullptr, &record) == ERROR_SUCCESS;
}

std::optional<std::u16string> ReadDescription(const Calvoro::Guid& plan) {
    const GUID record = Calvoro::PowerClass().ToGUID(plan);
    DWORD size = 0;
    if (::PowerReadDescription(nullptr, &record, nullptr, nullptr, nullptr, &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::u16string text(size / sizeof(char16_t) + 1, u'\0');
    DWORD capacity = static_cast<DWORD>(text.size() * sizeof(char16_t));
    if (::PowerReadDescription(nullptr, &record, nullptr, nullptr,
                               reinterpret_cast<UCHAR*>(text.data()), &capacity) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    text.resize(text.find(u'\0'));
    return text;
}

}  // namespace calvoro_cli
