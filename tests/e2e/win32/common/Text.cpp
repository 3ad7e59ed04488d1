#include "Text.h"

#include <windows.h>

#include <cstdio>

namespace e2e {

namespace {

std::wstring Widen(unsigned codePage, const std::string& text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int count = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(count), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), count);
    return wide;
}

}  // namespace

std::string ToUtf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int count =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(count), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, narrow.data(), count, nullptr,
                        nullptr);
    return narrow;
}

std::wstring FromUtf8(const std::string& text) { return Widen(CP_UTF8, text); }

std::string AnsiToUtf8(const std::string& text) { return ToUtf8(Widen(CP_ACP, text)); }

std::string Hex(unsigned long long value) {
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "0x%llX", value);
    return buffer;
}

}  // namespace e2e
