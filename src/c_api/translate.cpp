// The C interface's shared translation: exceptions into statuses, texts into the caller's
// buffers, and the per-thread message of the last error.
#include <calvoro/errors.h>

#include "translate.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <stdexcept>

namespace Calvoro::c_api {
namespace {

// The message of the last failing call on each thread.
thread_local std::string lastError;

}  // namespace

const char* LastErrorMessage() noexcept { return lastError.c_str(); }

calvoro_status Fail(calvoro_status status, std::string_view message,
                    std::string_view detail) noexcept {
    try {
        lastError.assign(message);
        lastError.append(detail);
    } catch (...) {
        lastError.clear();  // no memory for the message; the status still says what failed
    }
    return status;
}

calvoro_status FailFromCurrentException() noexcept {
    // The exception's own message, unchanged: the caller knows which function it called.
    try {
        throw;
    } catch (const GuidParseError& error) {
        return Fail(CALVORO_E_GUID_PARSE, error.what());
    } catch (const DocumentError& error) {
        return Fail(CALVORO_E_DOCUMENT, error.what());
    } catch (const std::invalid_argument& error) {
        return Fail(CALVORO_E_INVALID_ARGUMENT, error.what());
    } catch (const ArgumentOutOfRange& error) {
        return Fail(CALVORO_E_INVALID_ARGUMENT, error.what());
    } catch (const RegistryAccessError& error) {
        return Fail(CALVORO_E_REGISTRY_ACCESS, error.what());
    } catch (const std::bad_alloc&) {
        return Fail(CALVORO_E_OUT_OF_MEMORY, "out of memory");
    } catch (const std::exception& error) {
        return Fail(CALVORO_E_PLATFORM, error.what());
    } catch (...) {
        return Fail(CALVORO_E_PLATFORM, "the platform raised an exception that is not a std::exception");
    }
}

calvoro_status NullPointer(const char* function) noexcept {
    return Fail(CALVORO_E_NULL_POINTER, function, ": a required pointer is null");
}

template <typename Unit, typename BufferUnit>
calvoro_status CopyOut(const Unit* data, std::size_t count, bool terminate, BufferUnit* buffer,
                       std::uint32_t capacity, std::uint32_t* length,
                       const char* function) noexcept {
    static_assert(sizeof(Unit) == sizeof(BufferUnit));
    constexpr const char* kUnits = sizeof(Unit) == 1   ? "bytes"
                                   : sizeof(Unit) == 2 ? "code units"
                                                       : "identifiers";
    if (count >= UINT32_MAX) {
        return Fail(CALVORO_E_INVALID_ARGUMENT, function, ": too long for a 32-bit length");
    }
    *length = static_cast<std::uint32_t>(count);
    if (buffer == nullptr && capacity == 0) {
        return CALVORO_OK;  // a size query
    }
    if (buffer == nullptr) {
        return NullPointer(function);
    }
    const std::size_t needed = count + (terminate ? 1 : 0);
    if (capacity < needed) {
        char detail[96];
        (void)std::snprintf(detail, sizeof detail, ": the buffer holds %lu %s; %lu are needed",
                            static_cast<unsigned long>(capacity), kUnits,
                            static_cast<unsigned long>(needed));
        return Fail(CALVORO_E_BUFFER_TOO_SMALL, function, detail);
    }
    if (count > 0) {
        std::memcpy(buffer, data, count * sizeof(Unit));
    }
    if (terminate) {
        buffer[count] = BufferUnit{};
    }
    return CALVORO_OK;
}

template calvoro_status CopyOut(const char16_t*, std::size_t, bool, std::uint16_t*, std::uint32_t,
                                std::uint32_t*, const char*) noexcept;
template calvoro_status CopyOut(const calvoro_guid*, std::size_t, bool, calvoro_guid*,
                                std::uint32_t, std::uint32_t*, const char*) noexcept;
template calvoro_status CopyOut(const std::uint8_t*, std::size_t, bool, std::uint8_t*,
                                std::uint32_t, std::uint32_t*, const char*) noexcept;
template calvoro_status CopyOut(const calvoro_plan_template*, std::size_t, bool,
                                calvoro_plan_template*, std::uint32_t, std::uint32_t*,
                                const char*) noexcept;

}  // namespace Calvoro::c_api
