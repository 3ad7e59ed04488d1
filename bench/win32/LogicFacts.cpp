// What the installer's logic says about an install run, for the bench's floor and its
// staged INF files: the printer names that the removal goes through (code page 936
// bytes, in hex) and the number of driver files that a staging pass copies.
//
//   logic_facts.exe <result.json>

#include <cstdio>
#include <string>

#include "package/Package.h"
#include "setup/RemovalList.h"

namespace {

std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        hex += digits[byte >> 4];
        hex += digits[byte & 0xF];
    }
    return hex;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fputs("usage: logic_facts.exe <result.json>\n", stderr);
        return 2;
    }
    std::string names;
    for (const std::string& name : setup::RemovalList())
        names += (names.empty() ? "\"" : ", \"") + Hex(name) + "\"";
    const std::string json = "{\"removalNames\": [" + names + "], \"driverFiles\": " +
                             std::to_string(package::kDriverFileNames.size()) + "}\n";
    FILE* file = _wfopen(argv[1], L"wb");
    if (!file) return 1;
    const bool written = std::fwrite(json.data(), 1, json.size(), file) == json.size();
    return std::fclose(file) == 0 && written ? 0 : 1;
}
