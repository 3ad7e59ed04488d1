#pragma once
// The unattended installer's services on top of the fake machine: a clock that stands
// still, a temporary folder, a log that appends to the fake's files (so that its size and
// bytes are seen through FakeSystem too, and the last-error code is left as CreateFileA
// with OPEN_ALWAYS leaves it), text conversions by iconv (the ANSI code page being the
// fake machine's), things planted at log paths, the program's own path and process id,
// and the standard output it collects.

#include <map>
#include <set>
#include <string>

#include "sys/UnattendedSystem.h"
#include "tests/unit/FakeSystem.h"

namespace fake {

class FakeUnattendedSystem : public sys::UnattendedSystem {
public:
    explicit FakeUnattendedSystem(FakeSystem& system) : system_(system) {}

    sys::LocalTime now{2026, 12, 10, 14, 50, 1, 23};
    std::string tempPath = "C:\\WINDOWS\\TEMP\\";
    bool tempPathFails = false;
    std::set<std::string> unwritable;               // paths whose appends fail
    // What another account put at a path: a link, a hard link, a file of its own. A
    // path not named here is Missing or OwnFile, as the fake machine has the file.
    std::map<std::string, sys::LogFileState> planted;
    uint32_t processId = 4242;
    std::string moduleFileName = "C:\\pkg\\SilentSetup.exe";  // empty: the call fails
    std::set<std::string> missingDirectories;       // SetCurrentDirectory fails (3)
    bool hasStandardOutput = true;
    // HKEY_LOCAL_MACHINE's keys in the 64-bit view: key -> value name -> text.
    std::map<std::string, std::map<std::string, std::string>> registry;
    uint32_t regSetValueError = 0;   // what RegSetValueEx answers; 0 writes the value
    std::string regSetValueFailing;  // the one value name that fails; empty for all
    uint32_t regDeleteKeyError = 0;  // what RegDeleteKey answers; 0 deletes the key
    uint32_t queryServiceConfigError = 0;  // what QueryServiceConfig answers; 0: the start
                                           // type of the fake machine's service

    std::string standardOutput;

    sys::LocalTime GetLocalTime() override { return now; }
    std::string GetCurrentDirectory() override { return system_.currentDirectory; }
    bool GetTempPath(std::string& directory) override;
    bool AppendFile(const std::string& path, const std::string& bytes) override;
    bool ToUtf8(uint32_t codePage, const std::string& text, std::string& utf8) override;
    sys::LogFileState InspectLogFile(const std::string& path) override;
    uint32_t GetCurrentProcessId() override { return processId; }
    std::string GetModuleFileName() override;
    bool SetCurrentDirectory(const std::string& directory) override;
    bool WriteStandardOutput(const std::string& bytes) override;
    uint32_t QueryServiceConfig(const std::string& serviceName, uint32_t& startType) override;
    uint32_t RegSetValueEx(const std::string& subKey, const std::string& valueName,
                           const std::string& text) override;
    uint32_t RegDeleteKey(const std::string& subKey) override;

private:
    FakeSystem& system_;
};

}  // namespace fake
