#include "setup/BytesFinder.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace setup {

namespace {
// Sixteen bytes compared at once: in a vector register where the machine has them,
// spelt out by the compiler where it has not.
constexpr std::size_t kBlockBytes = 16;
typedef unsigned char Block __attribute__((vector_size(kBlockBytes)));
typedef uint64_t BlockWords __attribute__((vector_size(kBlockBytes)));

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
    // Both sifted blocks lie inside the buffer: at + kBlockBytes <= end keeps the furthest
    // read, at + otherAt_ or rareAt_ + kBlockBytes, within size. The blocks stay in this
    // function: passed by value, they would take the slower way where the machine has
    // no vector registers.
    const Block rare = Block{} + static_cast<unsigned char>(bytes_[rareAt_]);
    const Block other = Block{} + static_cast<unsigned char>(bytes_[otherAt_]);
    for (; at + kBlockBytes <= end; at += kBlockBytes) {
        Block rareBytes;
        Block otherBytes;
        std::memcpy(&rareBytes, data + at + rareAt_, kBlockBytes);
        std::memcpy(&otherBytes, data + at + otherAt_, kBlockBytes);
        const BlockWords sifted =
            reinterpret_cast<BlockWords>((rareBytes == rare) & (otherBytes == other));
        if ((sifted[0] | sifted[1]) == 0) continue;
        for (std::size_t candidate = at; candidate < at + kBlockBytes; ++candidate) {
            if (matchesAt(candidate)) return candidate;
        }
    }
    for (; at < end; ++at) {
        if (matchesAt(at)) return at;
    }
    return kNotFound;
}

}  // namespace setup
