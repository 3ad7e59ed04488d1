#pragma once
// The unattended installer's services on top of the fake machine: a clock that stands
// still, a temporary folder, a log opened once on the fake's files and judged there (a
// link, a second name, another account's file, a folder; the last-error code left as
// CreateFileA with OPEN_ALWAYS leaves it) and then written through that open file alone,
// whatever a test later does to its name; text conversions by iconv (the ANSI code page
// being the fake machine's), the program's own path and process id, and the standard
// output it collects.

#include <map>
#include <memory>
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
    std::set<std::string> unwritable;               // paths that do not open (5)
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
    sys::LogFileState OpenLog(const std::string& path, bool& empty) override;
    bool AppendLog(const std::string& bytes) override;
    bool ToUtf8(uint32_t codePage, const std::string& text, std::string& utf8) override;
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
    std::shared_ptr<FakeSystem::File> log_;  // the file that OpenLog kept open
};

}  // namespace fake
