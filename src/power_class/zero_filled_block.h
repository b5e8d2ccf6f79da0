// Blocks from the platform's allocator, released when their owner goes.
#pragma once

#include "platform/platform.h"

#include <cstdint>
#include <memory>

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

/// Releases a record that the platform handed out with LocalFree.
struct LocalFreer {
    void operator()(GUID* block) const { (void)platform::LocalFree(block); }
};

/// An identifier's record that the platform allocated (PowerGetActiveScheme,
/// PowerDuplicateScheme), owned until the owner goes.
using PlatformRecord = std::unique_ptr<GUID, LocalFreer>;

}  // namespace Calvoro::detail
