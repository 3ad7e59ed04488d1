#pragma once
// Redirects one imported function of a module to a replacement, by rewriting the
// module's import address table: calls from that module go to the replacement, calls
// from every other module stay as they were.

#include <windows.h>

namespace e2e {

// Replaces `function` of `dll` in `module`'s imports and returns the address it had;
// null when the module does not import it by name.
void* PatchImport(HMODULE module, const char* dll, const char* function, void* replacement);

}  // namespace e2e
