// What every C function shares: turning C++ exceptions into statuses with a per-thread
// message, identifiers between calvoro_guid and Guid, and texts between the caller's UTF-16
// code units and std::u16string. It translates only; every rule stays in the library.
#pragma once

#include <calvoro/calvoro_c.h>
#include <calvoro/guid.h>
#include <calvoro/power_settings.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace Calvoro::c_api {

/// Records `message` followed by `detail` as this thread's last error and returns `status`.
calvoro_status Fail(calvoro_status status, std::string_view message,
                    std::string_view detail = {}) noexcept;

/// A C enumeration argument outside its values: CALVORO_E_INVALID_ARGUMENT.
class ArgumentOutOfRange : public std::out_of_range {
public:
    using std::out_of_range::out_of_range;
};

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

/// The failure for a required pointer that is null.
calvoro_status NullPointer(const char* function) noexcept;

/// Stands for an input array in Call's pointer list: one of length 0 may be null, for it
/// is empty; a longer one must be set.
inline const void* Input(const void* data, std::uint32_t length) noexcept {
    static constexpr char kEmpty = 0;
    return length == 0 ? &kEmpty : data;
}

/// The way into every C function: CALVORO_E_NULL_POINTER, naming `function`, when a pointer
/// in `required` is null; else runs `work`, which returns a status or nothing (CALVORO_OK),
/// any exception becoming a status with the exception's message.
template <typename Work>
calvoro_status Call(const char* function, std::initializer_list<const void*> required,
                    Work&& work) noexcept {
    for (const void* pointer : required) {
        if (pointer == nullptr) {
            return NullPointer(function);
        }
    }
    return Guarded([&]() -> calvoro_status {
        if constexpr (std::is_void_v<std::invoke_result_t<Work&>>) {
            work();
            return CALVORO_OK;
        } else {
            return work();
        }
    });
}

/// True when the C constants `constants` are 0, 1, 2, ... and `last`, the C++ enumeration's
/// last value, is the last of them: the C constants are that enumeration's values in order.
template <typename Enumeration, std::size_t N>
constexpr bool CountUpTo(const int (&constants)[N], Enumeration last) {
    for (std::size_t i = 0; i < N; ++i) {
        if (constants[i] != static_cast<int>(i)) {
            return false;
        }
    }
    return static_cast<std::size_t>(last) + 1 == N;
}

/// How a settings change went, for C (power_settings_c.cpp).
calvoro_setting_result SettingResultToC(const SettingChange& change);

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

/// The caller's `length` code units at `units`; null with length 0 is an empty text.
inline std::u16string TextFromC(const std::uint16_t* units, std::uint32_t length) {
    return length == 0 ? std::u16string() : std::u16string(units, units + length);
}

/// The caller's `count` bytes at `bytes`; null with count 0 is an empty array.
inline std::vector<std::uint8_t> BytesFromC(const std::uint8_t* bytes, std::uint32_t count) {
    return count == 0 ? std::vector<std::uint8_t>() : std::vector<std::uint8_t>(bytes, bytes + count);
}

/// Copies `count` units at `data` into the caller's buffer, with a 0 after them when
/// `terminate`, and `count` into `*length`. A null buffer with capacity 0 asks for the length
/// only. CALVORO_E_BUFFER_TOO_SMALL, writing nothing, when the buffer cannot hold them all.
/// Instantiated for texts (char16_t into uint16_t, terminated), identifiers and bytes.
template <typename Unit, typename BufferUnit>
calvoro_status CopyOut(const Unit* data, std::size_t count, bool terminate, BufferUnit* buffer,
                       std::uint32_t capacity, std::uint32_t* length,
                       const char* function) noexcept;

/// A text into the caller's buffer, with its NUL: CopyOut for UTF-16.
inline calvoro_status TextToC(const std::u16string& text, std::uint16_t* buffer,
                              std::uint32_t capacity, std::uint32_t* length,
                              const char* function) noexcept {
    return CopyOut(text.data(), text.size(), true, buffer, capacity, length, function);
}

}  // namespace Calvoro::c_api
