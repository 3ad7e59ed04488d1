#pragma once
// The robot's script: one command per line, a verb and its arguments parted by blanks.
// An argument in double quotes may hold blanks; inside it a backslash makes the next
// quote or backslash literal. Empty lines and lines that start with # are skipped.

#include <string>
#include <vector>

namespace e2e {

struct Command {
    int line = 0;
    std::wstring verb;
    std::vector<std::wstring> args;
};

// False with a reason when a line cannot be read (an unclosed quote).
bool ParseScript(const std::string& utf8, std::vector<Command>& commands, std::string& error);

// A number written in decimal or with 0x in hexadecimal; false when it is neither.
bool ParseNumber(const std::wstring& word, long& value);

}  // namespace e2e
