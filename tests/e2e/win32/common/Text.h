#pragma once
// Conversions between the encodings that meet in the test programs: UTF-16 from the
// window system, code page 936 from the installer's ANSI calls, UTF-8 in the logs.

#include <string>

namespace e2e {

std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& text);
// Text in the process's ANSI code page.
std::string AnsiToUtf8(const std::string& text);
// "0x" and upper-case hex digits.
std::string Hex(unsigned long long value);

}  // namespace e2e
