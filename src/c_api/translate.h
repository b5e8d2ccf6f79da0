// What every C function shares: turning C++ exceptions into statuses with a per-thread
// message, identifiers between calvoro_guid and Guid, and texts between the caller's UTF-16
// code units and std::u16string. It translates only; every rule stays in the library.
#pragma once

#include <calvoro/calvoro_c.h>
#include <calvoro/guid.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>
#include <string_view>

namespace Calvoro::c_api {

/// Records `message` followed by `detail` as this thread's last error and returns `status`.
calvoro_status Fail(calvoro_status status, std::string_view message,
                    std::string_view detail = {}) noexcept;

/// The status and message for the exception being handled (call inside a catch block only).
calvoro_status FailFromCurrentException() noexcept;

/// Runs `work`, which returns a status; any exception becomes a status instead, with the
/// exception's message.
template <typename Work>
calvoro_status Guarded(Work&& work) noexcept {
    try {
        return work();
    } catch (...) {
        return FailFromCurrentException();
    }
}

/// True when every pointer is set.
template <typename... Pointers>
bool AllSet(const Pointers*... pointers) {
    return ((pointers != nullptr) && ...);
}

/// The failure for a required pointer that is null.
calvoro_status NullPointer(const char* function) noexcept;

/// This thread's last error message.
const char* LastErrorMessage() noexcept;

// calvoro_guid is Guid's 16-byte image, field for field, so the two copy as bytes; that lets
// the compiler move an identifier between them in two words.
static_assert(sizeof(calvoro_guid) == 16 && sizeof(Guid) == 16 && sizeof(GUID) == 16);
static_assert(offsetof(calvoro_guid, Data4) == 8 && offsetof(Guid, Data4) == 8);
static_assert(std::is_trivially_copyable_v<Guid> && std::is_trivially_copyable_v<GUID>);

inline Guid FromC(const calvoro_guid& guid) {
    Guid result;
    std::memcpy(static_cast<void*>(&result), &guid, sizeof result);
    return result;
}

template <typename Identifier>
calvoro_guid ToC(const Identifier& guid) {
    calvoro_guid result;
    std::memcpy(static_cast<void*>(&result), &guid, sizeof result);
    return result;
}

/// The caller's `length` code units at `units` (non-null).
inline std::u16string TextFromC(const std::uint16_t* units, std::uint32_t length) {
    return std::u16string(units, units + length);
}

/// Writes `text` and a NUL into the caller's buffer and its length into `*length`; a null
/// buffer with capacity 0 asks for the length only. CALVORO_E_BUFFER_TOO_SMALL, writing
/// nothing, when the buffer cannot hold the text and its NUL.
calvoro_status TextToC(const std::u16string& text, std::uint16_t* buffer, std::uint32_t capacity,
                       std::uint32_t* length, const char* function) noexcept;

}  // namespace Calvoro::c_api
