#pragma once
// The real Windows behind UnattendedSystem.

#include <string>

#include "sys/UnattendedSystem.h"

namespace sys {

class Win32UnattendedSystem final : public UnattendedSystem {
public:
    Win32UnattendedSystem() = default;
    ~Win32UnattendedSystem() override;
    Win32UnattendedSystem(const Win32UnattendedSystem&) = delete;
    Win32UnattendedSystem& operator=(const Win32UnattendedSystem&) = delete;

    LocalTime GetLocalTime() override;
    std::string GetCurrentDirectory() override;
    bool GetTempPath(std::string& directory) override;
    LogFileState OpenLog(const std::string& path, bool& empty) override;
    bool AppendLog(const std::string& bytes) override;
    bool ToUtf8(uint32_t codePage, const std::string& text, std::string& utf8) override;
    uint32_t GetCurrentProcessId() override;
    std::string GetModuleFileName() override;
    bool SetCurrentDirectory(const std::string& directory) override;
    bool WriteStandardOutput(const std::string& bytes) override;
    uint32_t QueryServiceConfig(const std::string& serviceName, uint32_t& startType) override;
    uint32_t RegSetValueEx(const std::string& subKey, const std::string& valueName,
                           const std::string& text) override;
    uint32_t RegDeleteKey(const std::string& subKey) override;

private:
    void CloseLog();

    void* log_ = nullptr;  // HANDLE of the log that OpenLog kept
};

}  // namespace sys
