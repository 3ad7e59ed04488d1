#pragma once
// A deliberately plain count of a text in a file's bytes, against which the installer's
// search is checked: one walk over the file, a character (two bytes after a code page
// 936 lead byte 0x81..0xFE, else one) at a time; a match is taken whole and the walk goes
// on right after it. Both inputs end at their first zero byte; an empty text counts 0.

#include <cstddef>
#include <string>

namespace fuzz {

inline int ReferenceCount(const std::string& fileBytes, const std::string& textBytes) {
    const std::string file(fileBytes.c_str());
    const std::string text(textBytes.c_str());
    if (text.empty()) return 0;

    int count = 0;
    std::size_t at = 0;
    while (at + text.size() <= file.size()) {
        if (file.substr(at, text.size()) == text) {
            ++count;
            at += text.size();
        } else {
            const unsigned char byte = static_cast<unsigned char>(file[at]);
            at += (byte >= 0x81 && byte <= 0xFE) ? 2 : 1;
        }
    }
    return count;
}

}  // namespace fuzz
