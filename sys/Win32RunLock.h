#pragma once
// The one lock of an install run, which setup.exe and SilentSetup.exe share: a named
// mutex that exists while a run holds it, seen from every session and desktop (SYSTEM's
// run and a logged-on user's alike). On Windows Vista and later it lives in a private
// namespace bounded by the Administrators group, which an ordinary account can neither
// create nor open, so no one but an administrator can take it first. Windows XP has no
// private namespaces: there it is a Global\ mutex whose DACL admits only the
// Administrators group and SYSTEM, which stops another account from opening a run's
// lock but not from making the name first (see docs/deployment.md).

#include "sys/System.h"

namespace sys {

class Win32RunLock {
public:
    Win32RunLock() = default;
    ~Win32RunLock();
    Win32RunLock(const Win32RunLock&) = delete;
    Win32RunLock& operator=(const Win32RunLock&) = delete;

    // Takes the lock, held from then until this object is destroyed; the last error
    // tells why when the answer is Denied or Failed. Taking it again once held answers
    // Taken.
    RunLockState Take();

private:
    RunLockState EnterNamespace(void* securityAttributes);
    RunLockState CreateMutexNamed(const char* name, void* securityAttributes);

    void* boundary_ = nullptr;   // the boundary descriptor
    void* namespace_ = nullptr;  // the private namespace
    void* mutex_ = nullptr;      // HANDLE of the held mutex
};

}  // namespace sys
