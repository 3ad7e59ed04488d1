#include "sys/SystemLibrary.h"

#include <string>

namespace sys {

void RestrictDllSearch() {
    // Neither call is imported: XP before SP1 lacks the first, and only Windows 8, or
    // Vista and 7 with the loader update, have the second.
    const HMODULE kernel32 = ::GetModuleHandleA("kernel32.dll");
    // The empty text takes the current directory out of every later search, also of the
    // libraries that system DLLs load by name.
    if (const auto setDllDirectory =
            FindProc<decltype(&::SetDllDirectoryA)>(kernel32, "SetDllDirectoryA"))
        setDllDirectory("");
    if (const auto setDefaultDllDirectories = FindProc<decltype(&::SetDefaultDllDirectories)>(
            kernel32, "SetDefaultDllDirectories"))
        setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

HMODULE SystemLibrary::Module() {
    if (module_ != nullptr) return module_;
    // The size asked for first counts the terminator; the directory does not change.
    const UINT size = ::GetSystemDirectoryA(nullptr, 0);
    if (size == 0) return nullptr;
    std::string path(size, '\0');
    const UINT length = ::GetSystemDirectoryA(&path[0], size);
    if (length == 0 || length >= size) return nullptr;
    path.resize(length);
    path.append("\\").append(fileName_);
    // Given a full path, the altered search looks for the library's own dependencies in
    // the library's folder, the system directory, first. The LOAD_LIBRARY_SEARCH flags
    // would say so more narrowly but are unknown to XP and to Vista and 7 without the
    // loader update.
    module_ = ::LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    return module_;
}

}  // namespace sys
