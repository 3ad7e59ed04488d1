#include "package/DriverVer.h"

#include <cctype>

namespace package {

namespace {
// An INF is a few kilobytes; one read of this many bytes holds its [Version] section.
constexpr uint32_t kInfReadBytes = 64 * 1024;
const std::string kKey = "driverver";
constexpr int kParts = 4;
constexpr uint32_t kLargestPart = 0xFFFF;

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") + 1 - first);
}

std::string LowerCase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// "a.b.c.d", each part decimal and at most 65535; at least one part.
bool ParseVersion(const std::string& text, uint64_t& version) {
    uint64_t packed = 0;
    int parts = 0;
    std::size_t at = 0;
    while (true) {
        std::size_t end = at;
        uint32_t part = 0;
        while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end])) != 0) {
            part = part * 10 + static_cast<uint32_t>(text[end] - '0');
            if (part > kLargestPart) return false;
            ++end;
        }
        if (end == at || parts == kParts) return false;
        packed |= static_cast<uint64_t>(part) << (16 * (kParts - 1 - parts));
        ++parts;
        if (end == text.size()) break;
        if (text[end] != '.') return false;
        at = end + 1;
    }
    version = packed;
    return true;
}
}  // namespace

bool ReadDriverVer(sys::System& system, const std::string& infPath, uint64_t& version) {
    const sys::FileRead read = system.ReadFile(infPath, kInfReadBytes);
    if (!read.opened || !read.readOk) return false;
    std::size_t at = 0;
    while (at < read.bytes.size()) {
        std::size_t end = read.bytes.find('\n', at);
        if (end == std::string::npos) end = read.bytes.size();
        const std::string line = read.bytes.substr(at, end - at);
        at = end + 1;
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos || LowerCase(Trimmed(line.substr(0, equals))) != kKey)
            continue;
        // The date comes first; the version after the comma.
        const std::string value = line.substr(equals + 1);
        const std::size_t comma = value.find(',');
        return comma != std::string::npos && ParseVersion(Trimmed(value.substr(comma + 1)), version);
    }
    return false;
}

std::string DriverVersionText(uint64_t version) {
    std::string text;
    for (int part = 0; part < kParts; ++part) {
        if (part > 0) text += '.';
        text += std::to_string((version >> (16 * (kParts - 1 - part))) & kLargestPart);
    }
    return text;
}

}  // namespace package
