#include "tests/unit/FakeRunLockKernel.h"

#include <vector>

namespace fake {

namespace {
constexpr uint32_t kErrorPathNotFound = 3;
constexpr uint32_t kErrorAccessDenied = 5;
constexpr uint32_t kErrorInvalidHandle = 6;
constexpr uint32_t kErrorAlreadyExists = 183;
const std::string kGlobalPrefix = "Global\\";
const std::string kAlias = "RT450-Setup";
}  // namespace

int FakeRunLockKernel::MutexesHeld() const {
    int held = 0;
    for (const auto& [id, handles] : mutexHandles_) held += handles;
    return held;
}

void* FakeRunLockKernel::NewHandle(Handle::Kind kind, int process, int object) {
    void* const handle = reinterpret_cast<void*>(nextHandle_);
    nextHandle_ += 4;
    handles_[handle] = Handle{kind, process, object};
    return handle;
}

void FakeRunLockProcess::End() {
    std::vector<void*> mine;
    for (const auto& [handle, entry] : kernel_.handles_)
        if (entry.process == id_) mine.push_back(handle);
    for (void* handle : mine) {
        if (kernel_.handles_.at(handle).kind == FakeRunLockKernel::Handle::PrivateNamespace)
            ClosePrivateNamespace(handle);
        else
            CloseHandle(handle);
    }
}

int FakeRunLockProcess::OpenHandles() const {
    int count = 0;
    for (const auto& [handle, entry] : kernel_.handles_) count += entry.process == id_ ? 1 : 0;
    return count;
}

void* FakeRunLockProcess::CreateBoundaryDescriptor(const wchar_t*) {
    if (!kernel_.privateNamespaces) return Fail(127);  // ERROR_PROC_NOT_FOUND
    return kernel_.NewHandle(FakeRunLockKernel::Handle::Boundary, id_, 0);
}

bool FakeRunLockProcess::AddAdministratorsToBoundary(void*& boundary) {
    return kernel_.handles_.count(boundary) != 0 || Fail(kErrorInvalidHandle) != nullptr;
}

void FakeRunLockProcess::DeleteBoundaryDescriptor(void* boundary) {
    kernel_.handles_.erase(boundary);
}

void* FakeRunLockProcess::CreatePrivateNamespace(void*, const wchar_t*) {
    if (!elevated) return Fail(kErrorAccessDenied);
    if (kernel_.live_ != 0) return Fail(kErrorAlreadyExists);
    const int id = kernel_.nextObject_++;
    void* const handle = kernel_.NewHandle(FakeRunLockKernel::Handle::PrivateNamespace, id_, id);
    kernel_.namespaces_[id] = {id_, handle, false};
    kernel_.live_ = id;
    return handle;
}

void* FakeRunLockProcess::OpenPrivateNamespace(void*, const wchar_t*) {
    if (!elevated) return Fail(kErrorAccessDenied);
    if (kernel_.live_ == 0) return Fail(kErrorPathNotFound);
    return kernel_.NewHandle(FakeRunLockKernel::Handle::PrivateNamespace, id_, kernel_.live_);
}

void FakeRunLockProcess::ClosePrivateNamespace(void* privateNamespace) {
    const auto entry = kernel_.handles_.find(privateNamespace);
    if (entry == kernel_.handles_.end()) return;
    FakeRunLockKernel::Namespace& closed = kernel_.namespaces_.at(entry->second.object);
    if (closed.creatorHandle == privateNamespace) {
        closed.orphaned = true;
        if (kernel_.live_ == entry->second.object) kernel_.live_ = 0;
    }
    kernel_.handles_.erase(entry);
}

void* FakeRunLockProcess::CreateMutex(const char* name) {
    const std::string text = name;
    int space = 0;
    std::string leaf;
    if (text.rfind(kGlobalPrefix, 0) == 0) {
        if (kernel_.strangerMadeGlobalName) return Fail(kErrorAccessDenied);
        leaf = text.substr(kGlobalPrefix.size());
    } else {
        // The alias resolves through the last namespace of that alias that this process
        // opened or made, orphaned or not.
        for (const auto& [handle, entry] : kernel_.handles_)
            if (entry.process == id_ &&
                entry.kind == FakeRunLockKernel::Handle::PrivateNamespace)
                space = entry.object;
        if (space == 0 || text.rfind(kAlias + "\\", 0) != 0) return Fail(kErrorPathNotFound);
        leaf = text.substr(kAlias.size() + 1);
    }
    const auto key = std::make_pair(space, leaf);
    const auto existing = kernel_.mutexIds_.find(key);
    int id = 0;
    if (existing != kernel_.mutexIds_.end() && kernel_.mutexHandles_[existing->second] > 0) {
        id = existing->second;
        lastError_ = kErrorAlreadyExists;
    } else {
        id = kernel_.nextObject_++;
        kernel_.mutexIds_[key] = id;
        lastError_ = 0;
    }
    ++kernel_.mutexHandles_[id];
    return kernel_.NewHandle(FakeRunLockKernel::Handle::Mutex, id_, id);
}

void FakeRunLockProcess::CloseHandle(void* handle) {
    const auto entry = kernel_.handles_.find(handle);
    if (entry == kernel_.handles_.end()) return;
    if (entry->second.kind == FakeRunLockKernel::Handle::Mutex)
        --kernel_.mutexHandles_[entry->second.object];
    kernel_.handles_.erase(entry);
}

}  // namespace fake
