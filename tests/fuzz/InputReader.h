#pragma once
// Cuts a fuzzer input into fields. Every field is taken whatever the input's length: a
// field past the end reads as zero or empty, and a length larger than what is left
// takes what is left, so every input has a meaning.

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzz {

class InputReader {
public:
    InputReader(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool AtEnd() const { return at_ == size_; }

    uint8_t Byte() { return AtEnd() ? 0 : data_[at_++]; }

    // A field of as many bytes as its leading length byte says.
    std::string Chunk() { return Take(Byte()); }

    std::string Rest() { return Take(size_ - at_); }

private:
    std::string Take(std::size_t count) {
        if (count > size_ - at_) count = size_ - at_;
        std::string bytes(reinterpret_cast<const char*>(data_ + at_), count);
        at_ += count;
        return bytes;
    }

    const uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

}  // namespace fuzz
