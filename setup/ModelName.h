#pragma once
// The model name of the printer that the installer sets up, and the rewrite that makes
// it usable in a file name.

#include <cstddef>

// Writable, zero-terminated; "RT450" at start. Never grows.
constexpr std::size_t kModelNameSize = 32;
extern char g_modelName[kModelNameSize];

// Replaces every '/' by '-' in place, the length taken again before each comparison.
void RewriteModelName(char* name);
