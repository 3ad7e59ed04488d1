#include "tests/unit/FakeUnattendedSystem.h"

#include <iconv.h>

#include <cctype>
#include <stdexcept>

namespace fake {

bool FakeUnattendedSystem::GetTempPath(std::string& directory) {
    if (tempPathFails) return false;
    directory = tempPath;
    return true;
}

bool FakeUnattendedSystem::AppendFile(const std::string& path, const std::string& bytes) {
    if (unwritable.count(path)) return false;
    system_.AddFile(path, system_.FileBytes(path) + bytes);
    return true;
}

std::string FakeUnattendedSystem::CodePage936ToUtf8(const std::string& text) {
    iconv_t convert = iconv_open("UTF-8", "GBK");
    if (convert == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("no GBK in iconv");
    std::string in = text;
    std::string out(text.size() * 3 / 2 + 8, '\0');
    char* inPointer = &in[0];
    char* outPointer = &out[0];
    size_t inLeft = in.size();
    size_t outLeft = out.size();
    const size_t result = iconv(convert, &inPointer, &inLeft, &outPointer, &outLeft);
    iconv_close(convert);
    if (result == static_cast<size_t>(-1)) throw std::runtime_error("not GBK text: " + text);
    out.resize(out.size() - outLeft);
    return out;
}

bool FakeUnattendedSystem::FindWindow(const std::string& className,
                                      const std::string& windowName) {
    return windows.count(className + "|" + windowName) != 0;
}

sys::MutexState FakeUnattendedSystem::CreateMutex(const std::string& name) {
    if (deniedMutexes.count(name)) return sys::MutexState::Denied;
    if (heldMutexes.count(name) || createdMutexes.count(name))
        return sys::MutexState::AlreadyExists;
    createdMutexes.insert(name);
    return sys::MutexState::Created;
}

bool FakeUnattendedSystem::WriteStandardOutput(const std::string& bytes) {
    if (!hasStandardOutput) return false;
    standardOutput += bytes;
    return true;
}

// Key names, like Windows's, take any letter case.
namespace {
std::string RegistryKey(std::string name) {
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name;
}
}  // namespace

uint32_t FakeUnattendedSystem::RegSetValueEx(const std::string& subKey,
                                             const std::string& valueName,
                                             const std::string& text) {
    system_.calls.push_back("RegSetValueEx " + subKey + " " + valueName);
    if (regSetValueError != 0 && (regSetValueFailing.empty() || regSetValueFailing == valueName))
        return regSetValueError;
    registry[RegistryKey(subKey)][valueName] = text;
    return 0;
}

uint32_t FakeUnattendedSystem::RegDeleteKey(const std::string& subKey) {
    system_.calls.push_back("RegDeleteKey " + subKey);
    if (regDeleteKeyError != 0) return regDeleteKeyError;
    registry.erase(RegistryKey(subKey));
    return 0;
}

}  // namespace fake
