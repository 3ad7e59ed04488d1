#include "DeviceScript.h"

#include "../common/E2ePaths.h"
#include "../common/ScriptFile.h"

namespace e2e {

namespace {

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
    return ReadScript(
               kDeviceScriptPath, "device script",
               [&script](const std::vector<std::wstring>& words) {
                   return ParseLine(words, script);
               },
               error) != ScriptState::Unreadable;
}

}  // namespace e2e
