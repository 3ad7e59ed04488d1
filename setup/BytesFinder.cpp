#include "setup/BytesFinder.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace setup {

namespace {
constexpr std::size_t kWordBytes = sizeof(uint64_t);
constexpr uint64_t kEveryByte = 0x0101010101010101ULL;
constexpr uint64_t kLowSevenBits = 0x7F7F7F7F7F7F7F7FULL;

// Printable bytes from the most common in INF text (line ends, digits, the letters of
// section names, keys and paths) to the least; the bytes not listed are rarer still,
// but for those of double-byte characters, which the [Strings] of a localised INF are
// full of.
const char kCommonInInfText[] =
    "\n0\rLe\"IRAEiTnt, NFrSoa.1DO_s=dGCW2\\M3H546UlPp8[]97c-uKVyfxhmgwBJkbQZYv%X;$'/:@{}()";

// Higher for bytes more common in INF text.
std::size_t Commonness(unsigned char byte) {
    const std::size_t listed = sizeof kCommonInInfText - 1;
    const void* at = std::memchr(kCommonInInfText, byte, listed);
    if (at != nullptr && byte != 0)
        return 2 * listed - static_cast<std::size_t>(static_cast<const char*>(at) - kCommonInInfText);
    return byte >= 0x80 ? listed : 0;
}

uint64_t LoadWord(const char* bytes) {
    uint64_t word;
    std::memcpy(&word, bytes, kWordBytes);
    return word;
}

// The high bit of each byte of the word that equals the byte repeated in pattern; no
// carry crosses from one byte to the next.
uint64_t EqualBytes(uint64_t word, uint64_t pattern) {
    const uint64_t differ = word ^ pattern;
    return ~(((differ & kLowSevenBits) + kLowSevenBits) | differ | kLowSevenBits);
}
}  // namespace

BytesFinder::BytesFinder(std::string bytes) : bytes_(std::move(bytes)) {
    for (std::size_t at = 1; at < bytes_.size(); ++at) {
        if (Commonness(static_cast<unsigned char>(bytes_[at])) <
            Commonness(static_cast<unsigned char>(bytes_[rareAt_])))
            rareAt_ = at;
    }
    otherAt_ = rareAt_ == 0 ? bytes_.size() - 1 : 0;
    for (std::size_t at = 0; at < bytes_.size(); ++at) {
        if (at != rareAt_ && Commonness(static_cast<unsigned char>(bytes_[at])) <
                                 Commonness(static_cast<unsigned char>(bytes_[otherAt_])))
            otherAt_ = at;
    }
    rareWord_ = kEveryByte * static_cast<unsigned char>(bytes_[rareAt_]);
    otherWord_ = kEveryByte * static_cast<unsigned char>(bytes_[otherAt_]);
}

std::size_t BytesFinder::Find(const char* data, std::size_t size, std::size_t from,
                              std::size_t until) const {
    const std::size_t length = bytes_.size();
    if (size < length) return kNotFound;
    const std::size_t end = std::min(until, size - length + 1);
    const auto matchesAt = [&](std::size_t at) {
        return data[at + rareAt_] == bytes_[rareAt_] &&
               data[at + otherAt_] == bytes_[otherAt_] &&
               std::memcmp(data + at, bytes_.data(), length) == 0;
    };
    std::size_t at = from;
    // Both sifted words lie inside the buffer: at + kWordBytes <= end keeps the furthest
    // read, at + otherAt_ or rareAt_ + kWordBytes, within size.
    for (; at + kWordBytes <= end; at += kWordBytes) {
        if ((EqualBytes(LoadWord(data + at + rareAt_), rareWord_) &
             EqualBytes(LoadWord(data + at + otherAt_), otherWord_)) == 0)
            continue;
        for (std::size_t candidate = at; candidate < at + kWordBytes; ++candidate) {
            if (matchesAt(candidate)) return candidate;
        }
    }
    for (; at < end; ++at) {
        if (matchesAt(at)) return at;
    }
    return kNotFound;
}

}  // namespace setup
