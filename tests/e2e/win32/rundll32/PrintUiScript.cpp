#include "PrintUiScript.h"

#include <cwchar>
#include <sstream>
#include <vector>

#include "../common/E2ePaths.h"
#include "../common/LogFile.h"
#include "../common/Text.h"

namespace e2e {

namespace {

bool ParseCode(const std::wstring& word, DWORD& code) {
    wchar_t* end = nullptr;
    const unsigned long value = std::wcstoul(word.c_str(), &end, 0);
    if (word.empty() || *end != L'\0') return false;
    code = static_cast<DWORD>(value);
    return true;
}

bool ParseLine(const std::vector<std::wstring>& words, PrintUiScript& script) {
    const std::wstring& verb = words[0];
    if (verb == L"driver" && words.size() == 5) {
        script.models[words[1]] = {words[2], words[3], words[4]};
        return true;
    }
    if (verb == L"fail" && words.size() == 3) {
        DWORD code = 0;
        if (!ParseCode(words[2], code)) return false;
        script.failures[words[1]] = code;
        return true;
    }
    return false;
}

}  // namespace

ScriptState ReadPrintUiScript(PrintUiScript& script, std::string& error) {
    script = PrintUiScript{};
    std::string bytes;
    if (!ReadWholeFile(kPrintUiScriptPath, bytes)) return ScriptState::Missing;
    std::wistringstream lines(FromUtf8(bytes));
    std::wstring line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        std::wistringstream wordsOfLine(line);
        std::vector<std::wstring> words;
        for (std::wstring word; wordsOfLine >> word;) words.push_back(word);
        if (words.empty() || words[0][0] == L'#') continue;
        if (!ParseLine(words, script)) {
            error = "printui script line " + std::to_string(number) + ": " + ToUtf8(line);
            return ScriptState::Unreadable;
        }
    }
    return ScriptState::Read;
}

}  // namespace e2e
