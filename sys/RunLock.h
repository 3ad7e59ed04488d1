#pragma once
// The one lock of an install run, which setup.exe and SilentSetup.exe share: a named
// mutex that exists while a run holds it, seen from every session and desktop (SYSTEM's
// run and a logged-on user's alike). On Windows Vista and later it lives in a private
// namespace bounded by the Administrators group, which an ordinary account can neither
// create nor open, so no one but an administrator can take it first. Windows XP has no
// private namespaces: there it is a Global\ mutex whose DACL admits only the
// Administrators group and SYSTEM, which stops another account from opening a run's
// lock but not from making the name first (see docs/deployment.md).
//
// The decisions are portable; the kernel calls come through RunLockCalls, with a Win32
// implementation beside it and a fake kernel in the unit tests.

#include <cstdint>

#include "sys/System.h"

namespace sys {

// The kernel calls that the run lock makes, each standing for the Win32 call it is named
// after. Handles are opaque; null is none, and a failed call leaves its reason as the
// last-error code.
class RunLockCalls {
public:
    virtual ~RunLockCalls() = default;

    // Makes the security attributes that the namespace and the mutex get: all access for
    // the Administrators group and SYSTEM, none for anybody else. False when they cannot
    // be made.
    virtual bool PrepareSecurity() = 0;
    // CreateBoundaryDescriptorW(name, 0); null where the system has no private namespaces
    // (Windows XP; Wine, whose boundary calls make none).
    virtual void* CreateBoundaryDescriptor(const wchar_t* name) = 0;
    // AddSIDToBoundaryDescriptor(&boundary, the Administrators group's SID).
    virtual bool AddAdministratorsToBoundary(void*& boundary) = 0;
    virtual void DeleteBoundaryDescriptor(void* boundary) = 0;
    // CreatePrivateNamespaceW(the security attributes, boundary, alias); fails with
    // ERROR_ALREADY_EXISTS while a namespace of that boundary is there.
    virtual void* CreatePrivateNamespace(void* boundary, const wchar_t* alias) = 0;
    virtual void* OpenPrivateNamespace(void* boundary, const wchar_t* alias) = 0;
    // ClosePrivateNamespace(privateNamespace, 0).
    virtual void ClosePrivateNamespace(void* privateNamespace) = 0;
    // CreateMutexA(the security attributes, not owned, name): ERROR_ALREADY_EXISTS as the
    // last error when it opened an existing one.
    virtual void* CreateMutex(const char* name) = 0;
    virtual void CloseHandle(void* handle) = 0;
    virtual uint32_t GetLastError() = 0;
    virtual void SetLastError(uint32_t code) = 0;
};

class RunLock {
public:
    explicit RunLock(RunLockCalls& calls) : calls_(calls) {}
    ~RunLock();
    RunLock(const RunLock&) = delete;
    RunLock& operator=(const RunLock&) = delete;

    // Takes the lock, held from then until this object is destroyed; the last error
    // tells why when the answer is Denied or Failed. Taking it again once held answers
    // Taken. Every answer but Taken leaves nothing open: the next attempt starts afresh.
    RunLockState Take();

private:
    RunLockState TakeAfresh();
    RunLockState EnterNamespace();
    RunLockState CreateMutexNamed(const char* name);
    // Closes the namespace and the boundary, leaving the last-error code as it was.
    void LeaveNamespace();

    RunLockCalls& calls_;
    void* boundary_ = nullptr;   // the boundary descriptor
    void* namespace_ = nullptr;  // the private namespace
    void* mutex_ = nullptr;      // the held mutex
};

}  // namespace sys
