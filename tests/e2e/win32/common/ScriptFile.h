#pragma once
// The scripts that tests write for the doubles, read afresh at every call so that a test
// may change one between runs: one setting per line, words parted by blanks, '#'
// starting a comment line.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace e2e {

// A code of a script: 0x hex or decimal.
bool ParseCode(const std::wstring& word, DWORD& code);

enum class ScriptState { Missing, Read, Unreadable };

// Hands the words of each setting to `parse`, which tells whether it could read them.
// Unreadable comes with the reason: `name`, the line's number and its text.
ScriptState ReadScript(const std::wstring& path, const char* name,
                       const std::function<bool(const std::vector<std::wstring>&)>& parse,
                       std::string& error);

}  // namespace e2e
