#include "PrintUiScript.h"

#include <vector>

#include "../common/E2ePaths.h"

namespace e2e {

namespace {

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
    if (verb == L"hold" && words.size() == 3) {
        script.holds[words[1]] = words[2];
        return true;
    }
    if (verb == L"hang" && words.size() == 3) {
        script.hangs[words[1]] = words[2];
        return true;
    }
    return false;
}

}  // namespace

ScriptState ReadPrintUiScript(PrintUiScript& script, std::string& error) {
    script = PrintUiScript{};
    return ReadScript(
        kPrintUiScriptPath, "printui script",
        [&script](const std::vector<std::wstring>& words) { return ParseLine(words, script); },
        error);
}

}  // namespace e2e
