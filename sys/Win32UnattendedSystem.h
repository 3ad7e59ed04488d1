#pragma once
// The real Windows behind UnattendedSystem. It owns the mutex it creates, so that the
// mutex stays held for as long as the object lives: the whole run.

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
    bool AppendFile(const std::string& path, const std::string& bytes) override;
    bool ToUtf8(uint32_t codePage, const std::string& text, std::string& utf8) override;
    bool FindWindow(const std::string& className, const std::string& windowName) override;
    MutexState CreateMutex(const std::string& name) override;
    bool WriteStandardOutput(const std::string& bytes) override;
    uint32_t RegSetValueEx(const std::string& subKey, const std::string& valueName,
                           const std::string& text) override;
    uint32_t RegDeleteKey(const std::string& subKey) override;

private:
    void* mutex_ = nullptr;  // HANDLE
};

}  // namespace sys
