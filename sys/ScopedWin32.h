#pragma once
// Owners of Win32 resources: each releases what it holds when it goes out of scope, so
// that every path out of a function releases it.

#include "sys/WindowsApi.h"

namespace sys {

// Owns one resource and gives it to Release once. Both null and INVALID_HANDLE_VALUE
// (what CreateFileA returns on failure) mean that nothing is owned.
template <typename Resource, auto Release>
class ScopedResource {
public:
    explicit ScopedResource(Resource resource) noexcept : resource_(resource) {}
    ~ScopedResource() {
        if (IsValid()) Release(resource_);
    }
    ScopedResource(const ScopedResource&) = delete;
    ScopedResource& operator=(const ScopedResource&) = delete;

    Resource Get() const noexcept { return resource_; }
    // Hands the resource over to the caller, who releases it from then on.
    Resource Detach() noexcept {
        const Resource resource = resource_;
        resource_ = nullptr;
        return resource;
    }
    bool IsValid() const noexcept {
        return resource_ != nullptr &&
               resource_ != reinterpret_cast<Resource>(INVALID_HANDLE_VALUE);
    }

private:
    Resource resource_;
};

// A kernel handle: a file, a process or a thread.
using ScopedHandle = ScopedResource<HANDLE, ::CloseHandle>;
// A search of a folder, from FindFirstFileA.
using ScopedFind = ScopedResource<HANDLE, ::FindClose>;
// A block from LocalAlloc, as FormatMessageA hands one out.
using ScopedLocalMemory = ScopedResource<HLOCAL, ::LocalFree>;

}  // namespace sys
