#pragma once
// Appending to the logs that the harness reads. Each line is written with one call on a
// file opened for appending, so lines of several processes never interleave and a
// program that is killed leaves only whole lines behind.

#include <string>

#include "JsonObject.h"

namespace e2e {

// False when the file could not be opened or written.
bool AppendLine(const std::wstring& path, const std::string& line);
bool AppendJson(const std::wstring& path, const JsonObject& object);
// Replaces the file's content.
bool WriteWholeFile(const std::wstring& path, const std::string& bytes);
// The whole file; false when it cannot be read.
bool ReadWholeFile(const std::wstring& path, std::string& bytes);

}  // namespace e2e
