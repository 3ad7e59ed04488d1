#include "ScriptFile.h"

#include <cwchar>
#include <sstream>

#include "LogFile.h"
#include "Text.h"

namespace e2e {

bool ParseCode(const std::wstring& word, DWORD& code) {
    wchar_t* end = nullptr;
    const unsigned long value = std::wcstoul(word.c_str(), &end, 0);
    if (word.empty() || *end != L'\0') return false;
    code = static_cast<DWORD>(value);
    return true;
}

ScriptState ReadScript(const std::wstring& path, const char* name,
                       const std::function<bool(const std::vector<std::wstring>&)>& parse,
                       std::string& error) {
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) return ScriptState::Missing;
    std::wistringstream lines(FromUtf8(bytes));
    std::wstring line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        std::wistringstream wordsOfLine(line);
        std::vector<std::wstring> words;
        for (std::wstring word; wordsOfLine >> word;) words.push_back(word);
        if (words.empty() || words[0][0] == L'#') continue;
        if (!parse(words)) {
            error = std::string(name) + " line " + std::to_string(number) + ": " + ToUtf8(line);
            return ScriptState::Unreadable;
        }
    }
    return ScriptState::Read;
}

}  // namespace e2e
