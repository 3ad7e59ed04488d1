#include "sys/RunLock.h"

namespace sys {

namespace {

constexpr uint32_t kErrorAccessDenied = 5;
constexpr uint32_t kErrorAlreadyExists = 183;

const wchar_t* const kBoundaryName = L"RT450-Setup";
const wchar_t* const kNamespaceAlias = L"RT450-Setup";
const char* const kMutexInNamespace = "RT450-Setup\\Run";
const char* const kGlobalMutex = "Global\\RT450-Setup-Run";

// The namespace disappears when its creator ends: one that was there when the create
// failed may be gone when it is opened, and is then created afresh.
constexpr int kNamespaceRounds = 3;

}  // namespace

RunLock::~RunLock() {
    if (mutex_ != nullptr) calls_.CloseHandle(mutex_);
    LeaveNamespace();
}

RunLockState RunLock::Take() {
    if (mutex_ != nullptr) return RunLockState::Taken;
    const RunLockState state = TakeAfresh();
    // Only a held lock keeps its namespace. One kept after a refusal can outlive its
    // creator: the system then lets the mutex be made in it while a later run makes a
    // fresh namespace of the same boundary, and both would hold "the" lock.
    if (state != RunLockState::Taken) LeaveNamespace();
    return state;
}

RunLockState RunLock::TakeAfresh() {
    if (!calls_.PrepareSecurity()) return RunLockState::Failed;
    boundary_ = calls_.CreateBoundaryDescriptor(kBoundaryName);
    if (boundary_ == nullptr) return CreateMutexNamed(kGlobalMutex);
    if (!calls_.AddAdministratorsToBoundary(boundary_)) return RunLockState::Failed;
    const RunLockState entered = EnterNamespace();
    if (entered != RunLockState::Taken) return entered;
    return CreateMutexNamed(kMutexInNamespace);
}

// Creates or opens the namespace; Taken means it is open. A process outside the
// boundary (no administrator, or one whose rights are not raised) can do neither.
RunLockState RunLock::EnterNamespace() {
    for (int round = 0; round < kNamespaceRounds; ++round) {
        namespace_ = calls_.CreatePrivateNamespace(boundary_, kNamespaceAlias);
        if (namespace_ != nullptr) return RunLockState::Taken;
        if (calls_.GetLastError() != kErrorAlreadyExists) return RunLockState::Failed;
        namespace_ = calls_.OpenPrivateNamespace(boundary_, kNamespaceAlias);
        if (namespace_ != nullptr) return RunLockState::Taken;
    }
    return RunLockState::Failed;
}

RunLockState RunLock::CreateMutexNamed(const char* name) {
    void* const mutex = calls_.CreateMutex(name);
    const uint32_t error = calls_.GetLastError();
    if (mutex == nullptr)
        return error == kErrorAccessDenied ? RunLockState::Denied : RunLockState::Failed;
    if (error == kErrorAlreadyExists) {
        calls_.CloseHandle(mutex);
        calls_.SetLastError(error);
        return RunLockState::HeldByAnotherRun;
    }
    mutex_ = mutex;
    return RunLockState::Taken;
}

void RunLock::LeaveNamespace() {
    const uint32_t error = calls_.GetLastError();
    if (namespace_ != nullptr) calls_.ClosePrivateNamespace(namespace_);
    if (boundary_ != nullptr) calls_.DeleteBoundaryDescriptor(boundary_);
    namespace_ = nullptr;
    boundary_ = nullptr;
    calls_.SetLastError(error);
}

}  // namespace sys
