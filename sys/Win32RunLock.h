#pragma once
// The kernel calls of the run lock (RunLock.h) on Windows.

#include "sys/RunLock.h"
#include "sys/SecurityIdentity.h"

namespace sys {

class Win32RunLockCalls final : public RunLockCalls {
public:
    bool PrepareSecurity() override;
    void* CreateBoundaryDescriptor(const wchar_t* name) override;
    bool AddAdministratorsToBoundary(void*& boundary) override;
    void DeleteBoundaryDescriptor(void* boundary) override;
    void* CreatePrivateNamespace(void* boundary, const wchar_t* alias) override;
    void* OpenPrivateNamespace(void* boundary, const wchar_t* alias) override;
    void ClosePrivateNamespace(void* privateNamespace) override;
    void* CreateMutex(const char* name) override;
    void CloseHandle(void* handle) override;
    uint32_t GetLastError() override;
    void SetLastError(uint32_t code) override;

private:
    AdministratorsAndSystemOnly security_;
    bool prepared_ = false;
};

}  // namespace sys
