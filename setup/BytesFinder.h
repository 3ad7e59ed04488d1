#pragma once
// Finds where a string of bytes occurs in a buffer, at close to the speed at which the
// buffer can be read: sixteen positions at a time are sifted by two of the string's
// bytes, those least common in INF text, and only the positions that pass the sieve are
// compared whole.

#include <cstddef>
#include <cstdint>
#include <string>

namespace setup {

class BytesFinder {
public:
    static constexpr std::size_t kNotFound = SIZE_MAX;

    // bytes is not empty.
    explicit BytesFinder(std::string bytes);

    const std::string& Bytes() const { return bytes_; }

    // The first offset at or after from and before until at which the bytes lie whole in
    // data[0, size); kNotFound when there is none.
    std::size_t Find(const char* data, std::size_t size, std::size_t from,
                     std::size_t until) const;

private:
    std::string bytes_;
    // The offsets in the string of its rarest byte and of its next rarest (the same when
    // the string has one byte).
    std::size_t rareAt_ = 0;
    std::size_t otherAt_ = 0;
};

}  // namespace setup
