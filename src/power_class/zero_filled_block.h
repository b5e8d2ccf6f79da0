// A zero-filled block from the platform's allocator, released when the owner goes.
#pragma once

#include "platform/platform.h"

#include <cstdint>

namespace Calvoro::detail {

class ZeroFilledBlock {
public:
    explicit ZeroFilledBlock(std::uint32_t bytes)
        : data_(static_cast<std::uint8_t*>(platform::LocalAlloc(platform::kZeroFilledFixed, bytes))),
          size_(data_ != nullptr ? bytes : 0) {}
    ~ZeroFilledBlock() {
        if (data_ != nullptr) {
            platform::LocalFree(data_);
        }
    }
    ZeroFilledBlock(const ZeroFilledBlock&) = delete;
    ZeroFilledBlock& operator=(const ZeroFilledBlock&) = delete;

    /// False when the allocation failed.
    explicit operator bool() const { return data_ != nullptr; }
    std::uint8_t* data() const { return data_; }
    std::uint32_t size() const { return size_; }

private:
    std::uint8_t* data_;
    std::uint32_t size_;
};

}  // namespace Calvoro::detail
