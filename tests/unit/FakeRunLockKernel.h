#pragma once
// The kernel objects that the run lock meets, shared by the processes of a test, and
// each process's calls (sys::RunLockCalls). As on Windows: a private namespace is found
// through its boundary while its creator still holds it; once the creator's handle is
// closed (by its close or its end) the namespace is orphaned: whoever still holds a
// handle to it may still make and open objects in it, but nobody else finds it, and a
// new namespace of the same boundary can be made. A named mutex exists while a handle to
// it is open; its name resolves through the alias of a namespace that the process holds,
// or in the global namespace (Global\). Windows XP has neither boundaries nor private
// namespaces.

#include <cstdint>
#include <map>
#include <string>
#include <utility>

#include "sys/RunLock.h"

namespace fake {

class FakeRunLockKernel {
public:
    bool privateNamespaces = true;     // false: Windows XP
    bool strangerMadeGlobalName = false;  // XP: another account made Global\... first (5)

    // How many processes hold a handle to a mutex of the lock's name, in any namespace,
    // orphaned ones included: the lock is held that many times.
    int MutexesHeld() const;

private:
    friend class FakeRunLockProcess;
    struct Namespace {
        int creator = 0;         // process id
        void* creatorHandle = nullptr;
        bool orphaned = false;
    };
    struct Handle {
        enum Kind { Boundary, PrivateNamespace, Mutex } kind;
        int process;
        int object;  // the namespace's id, or the mutex's
    };
    void* NewHandle(Handle::Kind kind, int process, int object);
    int live_ = 0;  // the namespace that the boundary finds; 0: none
    std::map<int, Namespace> namespaces_;
    // Mutexes by (namespace id, 0 for global; name) -> id, and their open handles.
    std::map<std::pair<int, std::string>, int> mutexIds_;
    std::map<int, int> mutexHandles_;
    std::map<void*, Handle> handles_;
    std::uintptr_t nextHandle_ = 0x10;
    int nextObject_ = 1;
};

// One process of the test: its calls reach the shared kernel.
class FakeRunLockProcess final : public sys::RunLockCalls {
public:
    FakeRunLockProcess(FakeRunLockKernel& kernel, int id) : kernel_(kernel), id_(id) {}

    bool elevated = true;  // outside the Administrators' boundary when false (5)

    // The process ends: the kernel closes every handle it held.
    void End();
    // The handles it holds now.
    int OpenHandles() const;

    bool PrepareSecurity() override { return true; }
    void* CreateBoundaryDescriptor(const wchar_t* name) override;
    bool AddAdministratorsToBoundary(void*& boundary) override;
    void DeleteBoundaryDescriptor(void* boundary) override;
    void* CreatePrivateNamespace(void* boundary, const wchar_t* alias) override;
    void* OpenPrivateNamespace(void* boundary, const wchar_t* alias) override;
    void ClosePrivateNamespace(void* privateNamespace) override;
    void* CreateMutex(const char* name) override;
    void CloseHandle(void* handle) override;
    uint32_t GetLastError() override { return lastError_; }
    void SetLastError(uint32_t code) override { lastError_ = code; }

private:
    void* Fail(uint32_t code) {
        lastError_ = code;
        return nullptr;
    }
    FakeRunLockKernel& kernel_;
    int id_;
    uint32_t lastError_ = 0;
};

}  // namespace fake
