#include "Script.h"

#include <cwchar>
#include <sstream>

#include "../common/Text.h"

namespace e2e {

namespace {

bool SplitWords(const std::wstring& line, std::vector<std::wstring>& words) {
    size_t i = 0;
    while (i < line.size()) {
        if (line[i] == L' ' || line[i] == L'\t') {
            ++i;
            continue;
        }
        std::wstring word;
        if (line[i] != L'"') {
            while (i < line.size() && line[i] != L' ' && line[i] != L'\t') word += line[i++];
            words.push_back(word);
            continue;
        }
        ++i;
        bool closed = false;
        while (i < line.size()) {
            const wchar_t c = line[i++];
            if (c == L'"') {
                closed = true;
                break;
            }
            if (c == L'\\' && i < line.size() && (line[i] == L'"' || line[i] == L'\\'))
                word += line[i++];
            else
                word += c;
        }
        if (!closed) return false;
        words.push_back(word);
    }
    return true;
}

}  // namespace

bool ParseScript(const std::string& utf8, std::vector<Command>& commands, std::string& error) {
    const std::string kByteOrderMark = "\xEF\xBB\xBF";
    std::wstring text = FromUtf8(utf8.compare(0, 3, kByteOrderMark) == 0 ? utf8.substr(3) : utf8);
    std::wistringstream lines(text);
    std::wstring line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        std::vector<std::wstring> words;
        if (!SplitWords(line, words)) {
            error = "line " + std::to_string(number) + ": unclosed quote";
            return false;
        }
        if (words.empty() || words[0][0] == L'#') continue;
        Command command;
        command.line = number;
        command.verb = words[0];
        command.args.assign(words.begin() + 1, words.end());
        commands.push_back(command);
    }
    return true;
}

bool ParseNumber(const std::wstring& word, long& value) {
    if (word.empty()) return false;
    const bool hex = word.size() > 2 && word[0] == L'0' && (word[1] == L'x' || word[1] == L'X');
    wchar_t* end = nullptr;
    value = std::wcstol(word.c_str(), &end, hex ? 16 : 10);
    return end != nullptr && *end == L'\0';
}

}  // namespace e2e
