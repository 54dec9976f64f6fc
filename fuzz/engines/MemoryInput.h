// A file held in the fuzzer's input bytes, seekable or (to reach the paths for streams
// that cannot seek) not.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "platform/FileSystem.h"

namespace hgf::fuzz {

class MemoryInput final : public InputFile {
  public:
    MemoryInput(const std::uint8_t* data, std::size_t size, bool seekable = true)
        : data_(data), size_(size), seekable_(seekable) {}
    std::size_t Read(void* buffer, std::size_t size) override {
        std::size_t count = std::min(size, size_ - position_);
        if (count) std::memcpy(buffer, data_ + position_, count);
        position_ += count;
        return count;
    }
    bool HasError() const override { return false; }
    std::optional<std::uint64_t> Size() override {
        if (!seekable_) return std::nullopt;
        return size_;
    }
    bool Seek(std::uint64_t offset) override {
        if (!seekable_) return false;
        position_ = static_cast<std::size_t>(std::min<std::uint64_t>(offset, size_));
        return true;
    }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
    bool seekable_;
};

}  // namespace hgf::fuzz
