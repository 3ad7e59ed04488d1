#pragma once
// The real Windows behind UnattendedSystem.

#include <string>

#include "sys/UnattendedSystem.h"

namespace sys {

class Win32UnattendedSystem final : public UnattendedSystem {
public:
    LocalTime GetLocalTime() override;
    std::string GetCurrentDirectory() override;
    bool GetTempPath(std::string& directory) override;
    bool AppendFile(const std::string& path, const std::string& bytes) override;
    bool ToUtf8(uint32_t codePage, const std::string& text, std::string& utf8) override;
    LogFileState InspectLogFile(const std::string& path) override;
    uint32_t GetCurrentProcessId() override;
    std::string GetModuleFileName() override;
    bool SetCurrentDirectory(const std::string& directory) override;
    bool WriteStandardOutput(const std::string& bytes) override;
    uint32_t QueryServiceConfig(const std::string& serviceName, uint32_t& startType) override;
    uint32_t RegSetValueEx(const std::string& subKey, const std::string& valueName,
                           const std::string& text) override;
    uint32_t RegDeleteKey(const std::string& subKey) override;
};

}  // namespace sys
