// An owned block of zero-filled bytes; empty when the memory could not be had.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace pixora {

class ZeroedBuffer {
public:
    ZeroedBuffer() = default;
    explicit ZeroedBuffer(std::size_t bytes)
        : data_(bytes > 0 ? static_cast<uint8_t*>(std::calloc(bytes, 1)) : nullptr),
          size_(data_ != nullptr ? bytes : 0) {}
    ~ZeroedBuffer() { std::free(data_); }
    ZeroedBuffer(ZeroedBuffer&& other) noexcept : data_(other.data_), size_(other.size_) {
        other.data_ = nullptr;
        other.size_ = 0;
    }
    ZeroedBuffer& operator=(ZeroedBuffer&& other) noexcept {
        if (this != &other) {
            std::free(data_);
            data_ = other.data_;
            size_ = other.size_;
            other.data_ = nullptr;
            other.size_ = 0;
        }
        return *this;
    }
    ZeroedBuffer(const ZeroedBuffer&) = delete;
    ZeroedBuffer& operator=(const ZeroedBuffer&) = delete;

    uint8_t* Data() const { return data_; }
    std::size_t Size() const { return size_; }
    bool IsEmpty() const { return data_ == nullptr; }

private:
    uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
};

}  // namespace pixora
