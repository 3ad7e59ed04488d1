#include "DeviceScript.h"

#include <cwchar>
#include <sstream>

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

bool ParseLine(const std::vector<std::wstring>& words, DeviceScript& script) {
    const std::wstring& verb = words[0];
    if (verb == L"device" && words.size() == 2) {
        script.devices.push_back(words[1]);
        return true;
    }
    if (verb == L"queue" && words.size() == 6) {
        script.queues.push_back({words[1], words[2], words[3], words[4], words[5]});
        return true;
    }
    if (verb == L"fail" && words.size() == 3 &&
        (words[1] == L"UpdateDriverForPlugAndPlayDevices" || words[1] == L"DiInstallDriver")) {
        DWORD code = 0;
        if (!ParseCode(words[2], code)) return false;
        script.forcedErrors[words[1]] = code;
        return true;
    }
    return false;
}

}  // namespace

bool DeviceScript::IsPlugged(const std::wstring& hardwareId) const {
    // Hardware ids compare without regard to letter case, as the system's do.
    for (const std::wstring& device : devices)
        if (CompareStringOrdinal(device.c_str(), -1, hardwareId.c_str(), -1, TRUE) ==
            CSTR_EQUAL)
            return true;
    return false;
}

bool DeviceScript::ForcedError(const std::wstring& function, DWORD& code) const {
    const auto found = forcedErrors.find(function);
    if (found == forcedErrors.end()) return false;
    code = found->second;
    return true;
}

bool ReadDeviceScript(DeviceScript& script, std::string& error) {
    script = DeviceScript{};
    std::string bytes;
    if (!ReadWholeFile(kDeviceScriptPath, bytes)) return true;
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
            error = "device script line " + std::to_string(number) + ": " + ToUtf8(line);
            return false;
        }
    }
    return true;
}

}  // namespace e2e
