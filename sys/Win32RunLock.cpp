#include "sys/Win32RunLock.h"

#include "sys/SystemLibrary.h"
#include "sys/WindowsApi.h"

namespace sys {

namespace {

// The namespace entry points exist from Windows Vista on and are looked up at run time
// so that the programs still start on XP. The wide forms: Wine 8 exports the ANSI ones
// as stubs that end the process when called. The names are plain ASCII either way.
using CreateBoundaryDescriptorWFn = HANDLE(WINAPI*)(LPCWSTR, ULONG);
using AddSIDToBoundaryDescriptorFn = BOOL(WINAPI*)(HANDLE*, PSID);
using DeleteBoundaryDescriptorFn = VOID(WINAPI*)(HANDLE);
using CreatePrivateNamespaceWFn = HANDLE(WINAPI*)(LPSECURITY_ATTRIBUTES, LPVOID, LPCWSTR);
using OpenPrivateNamespaceWFn = HANDLE(WINAPI*)(LPVOID, LPCWSTR);
using ClosePrivateNamespaceFn = BOOLEAN(WINAPI*)(HANDLE, ULONG);

template <typename Function>
Function Kernel32Proc(const char* name) {
    return FindProc<Function>(::GetModuleHandleA("kernel32"), name);
}

}  // namespace

bool Win32RunLockCalls::PrepareSecurity() {
    if (!prepared_) prepared_ = security_.Build();
    return prepared_;
}

void* Win32RunLockCalls::CreateBoundaryDescriptor(const wchar_t* name) {
    const auto create = Kernel32Proc<CreateBoundaryDescriptorWFn>("CreateBoundaryDescriptorW");
    // Both or neither: a boundary that no SID can be added to is of no use.
    const auto addSid = Kernel32Proc<AddSIDToBoundaryDescriptorFn>("AddSIDToBoundaryDescriptor");
    return create != nullptr && addSid != nullptr ? create(name, 0) : nullptr;
}

bool Win32RunLockCalls::AddAdministratorsToBoundary(void*& boundary) {
    const auto addSid = Kernel32Proc<AddSIDToBoundaryDescriptorFn>("AddSIDToBoundaryDescriptor");
    HANDLE handle = boundary;
    const bool added = addSid != nullptr && addSid(&handle, security_.Administrators());
    boundary = handle;
    return added;
}

void Win32RunLockCalls::DeleteBoundaryDescriptor(void* boundary) {
    if (const auto remove = Kernel32Proc<DeleteBoundaryDescriptorFn>("DeleteBoundaryDescriptor"))
        remove(boundary);
}

void* Win32RunLockCalls::CreatePrivateNamespace(void* boundary, const wchar_t* alias) {
    const auto create = Kernel32Proc<CreatePrivateNamespaceWFn>("CreatePrivateNamespaceW");
    if (create == nullptr) return nullptr;
    return create(security_.Attributes(), boundary, alias);
}

void* Win32RunLockCalls::OpenPrivateNamespace(void* boundary, const wchar_t* alias) {
    const auto open = Kernel32Proc<OpenPrivateNamespaceWFn>("OpenPrivateNamespaceW");
    return open != nullptr ? open(boundary, alias) : nullptr;
}

void Win32RunLockCalls::ClosePrivateNamespace(void* privateNamespace) {
    if (const auto close = Kernel32Proc<ClosePrivateNamespaceFn>("ClosePrivateNamespace"))
        close(privateNamespace, 0);
}

void* Win32RunLockCalls::CreateMutex(const char* name) {
    return ::CreateMutexA(security_.Attributes(), FALSE, name);
}

void Win32RunLockCalls::CloseHandle(void* handle) { ::CloseHandle(handle); }
uint32_t Win32RunLockCalls::GetLastError() { return ::GetLastError(); }
void Win32RunLockCalls::SetLastError(uint32_t code) { ::SetLastError(code); }

}  // namespace sys
