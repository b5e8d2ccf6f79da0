// Memory that Windows hands out with LocalAlloc, owned until its release with LocalFree; the
// console's command line and the power API's answers both come so.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace calvoro_cli::windows {

// Memory that Windows hands out with LocalAlloc, released with LocalFree.
template <typename T>
class LocalMemory {
public:
    LocalMemory() = default;
    explicit LocalMemory(T* pointer) : pointer_(pointer) {}
    ~LocalMemory() { ::LocalFree(pointer_); }
    LocalMemory(const LocalMemory&) = delete;
    LocalMemory& operator=(const LocalMemory&) = delete;

    T** Receive() { return &pointer_; }
    T* get() const { return pointer_; }

private:
    T* pointer_ = nullptr;
};

}  // namespace calvoro_cli::windows
