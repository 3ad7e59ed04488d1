#pragma once
// The system libraries that the programs do not import. Windows looks for an imported
// library that is not one of its known DLLs in the program's own folder first, and a
// program is run from wherever it was unpacked; so the programs import only kernel32,
// user32, gdi32 and msvcrt, which every supported Windows maps from its system
// directory, and load every other library here, by its full path in the system
// directory, with the library's own dependencies looked up there too.

#include "sys/WindowsApi.h"

namespace sys {

// Takes the current directory out of the DLL search and, where the system has the call
// (Windows 8 on, Vista and 7 with the loader update), limits the default search to the
// system directory. Each program calls it first thing, before it loads any library.
void RestrictDllSearch();

// GetProcAddress's entry point as the function type the caller names; null when the
// module or the entry point is missing.
template <typename Function>
Function FindProc(HMODULE module, const char* procName) {
    if (module == nullptr) return nullptr;
    // The detour through void (*)() is the sanctioned way between function pointer types.
    return reinterpret_cast<Function>(
        reinterpret_cast<void (*)()>(::GetProcAddress(module, procName)));
}

// One library of the system directory, loaded on first use and kept until the process
// ends.
class SystemLibrary {
public:
    constexpr explicit SystemLibrary(const char* fileName) noexcept : fileName_(fileName) {}
    SystemLibrary(const SystemLibrary&) = delete;
    SystemLibrary& operator=(const SystemLibrary&) = delete;

    // The entry point; null when the library cannot be loaded or lacks the entry
    // point, with the loader's reason (such as ERROR_MOD_NOT_FOUND or
    // ERROR_PROC_NOT_FOUND) as the last-error code.
    template <typename Function>
    Function Find(const char* procName) {
        return FindProc<Function>(Module(), procName);
    }

private:
    HMODULE Module();

    const char* fileName_;
    HMODULE module_ = nullptr;  // a failed load is tried again on the next use
};

}  // namespace sys
