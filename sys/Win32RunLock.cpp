#include "sys/Win32RunLock.h"

#include "sys/SecurityIdentity.h"
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

const wchar_t* const kBoundaryName = L"RT450-Setup";
const wchar_t* const kNamespaceAlias = L"RT450-Setup";
const char* const kMutexInNamespace = "RT450-Setup\\Run";
const char* const kGlobalMutex = "Global\\RT450-Setup-Run";

// The namespace disappears when its creator ends: one that was there when the create
// failed may be gone when it is opened, and is then created afresh.
constexpr int kNamespaceRounds = 3;

template <typename Function>
Function Kernel32Proc(const char* name) {
    return FindProc<Function>(::GetModuleHandleA("kernel32"), name);
}

}  // namespace

Win32RunLock::~Win32RunLock() {
    if (mutex_ != nullptr) ::CloseHandle(mutex_);
    if (namespace_ != nullptr) {
        if (const auto close = Kernel32Proc<ClosePrivateNamespaceFn>("ClosePrivateNamespace"))
            close(namespace_, 0);
    }
    if (boundary_ != nullptr) {
        if (const auto remove =
                Kernel32Proc<DeleteBoundaryDescriptorFn>("DeleteBoundaryDescriptor"))
            remove(boundary_);
    }
}

RunLockState Win32RunLock::Take() {
    if (mutex_ != nullptr) return RunLockState::Taken;
    AdministratorsAndSystemOnly security;
    if (!security.Build()) return RunLockState::Failed;

    if (boundary_ == nullptr) {
        const auto createBoundary =
            Kernel32Proc<CreateBoundaryDescriptorWFn>("CreateBoundaryDescriptorW");
        const auto addSid =
            Kernel32Proc<AddSIDToBoundaryDescriptorFn>("AddSIDToBoundaryDescriptor");
        HANDLE boundary = createBoundary != nullptr && addSid != nullptr
                              ? createBoundary(kBoundaryName, 0)
                              : nullptr;
        // Windows XP, or Wine, whose boundary descriptors are stubs that make none.
        if (boundary == nullptr) return CreateMutexNamed(kGlobalMutex, security.Attributes());
        boundary_ = boundary;
        if (!addSid(&boundary_, security.Administrators())) return RunLockState::Failed;
    }
    const RunLockState opened = EnterNamespace(security.Attributes());
    if (opened != RunLockState::Taken) return opened;
    return CreateMutexNamed(kMutexInNamespace, security.Attributes());
}

// Creates or opens the namespace; Taken means it is open. A process outside the
// boundary (no administrator, or one whose rights are not raised) can do neither.
RunLockState Win32RunLock::EnterNamespace(void* securityAttributes) {
    if (namespace_ != nullptr) return RunLockState::Taken;
    const auto createNamespace =
        Kernel32Proc<CreatePrivateNamespaceWFn>("CreatePrivateNamespaceW");
    const auto openNamespace = Kernel32Proc<OpenPrivateNamespaceWFn>("OpenPrivateNamespaceW");
    if (createNamespace == nullptr || openNamespace == nullptr) return RunLockState::Failed;
    for (int round = 0; round < kNamespaceRounds; ++round) {
        namespace_ = createNamespace(static_cast<SECURITY_ATTRIBUTES*>(securityAttributes),
                                     boundary_, kNamespaceAlias);
        if (namespace_ != nullptr) return RunLockState::Taken;
        if (::GetLastError() != ERROR_ALREADY_EXISTS) return RunLockState::Failed;
        namespace_ = openNamespace(boundary_, kNamespaceAlias);
        if (namespace_ != nullptr) return RunLockState::Taken;
    }
    return RunLockState::Failed;
}

RunLockState Win32RunLock::CreateMutexNamed(const char* name, void* securityAttributes) {
    HANDLE mutex =
        ::CreateMutexA(static_cast<SECURITY_ATTRIBUTES*>(securityAttributes), FALSE, name);
    const DWORD error = ::GetLastError();
    if (mutex == nullptr)
        return error == ERROR_ACCESS_DENIED ? RunLockState::Denied : RunLockState::Failed;
    if (error == ERROR_ALREADY_EXISTS) {
        ::CloseHandle(mutex);
        ::SetLastError(error);
        return RunLockState::HeldByAnotherRun;
    }
    mutex_ = mutex;
    return RunLockState::Taken;
}

}  // namespace sys
