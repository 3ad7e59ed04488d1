// Planted by the tests under the names of system libraries, in the places that a
// program must never load them from. When a process loads it, it logs which file was
// loaded into which program and then refuses to load, so that nothing of it runs on
// and the call that wanted the real library fails where the test can see it.

#include <windows.h>

#include <string>

#include "../common/E2ePaths.h"
#include "../common/LogFile.h"

namespace {

std::wstring ModuleFileName(HMODULE module) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(module, &path[0], static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    e2e::AppendJson(e2e::kLoadedMarkersPath,
                    e2e::JsonObject()
                        .Add("marker", ModuleFileName(instance))
                        .Add("process", ModuleFileName(nullptr))
                        .Add("pid", static_cast<long long>(GetCurrentProcessId())));
    return FALSE;
}
