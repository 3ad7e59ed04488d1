#include "tests/unit/FakeUnattendedSystem.h"

#include <iconv.h>

#include <cctype>
#include <stdexcept>

namespace fake {

namespace {
constexpr uint32_t kErrorPathNotFound = 3;
constexpr uint32_t kErrorAccessDenied = 5;
constexpr uint32_t kErrorInvalidHandle = 6;
constexpr uint32_t kErrorNoUnicodeTranslation = 1113;
constexpr uint32_t kErrorAlreadyExists = 183;
}  // namespace

bool FakeUnattendedSystem::GetTempPath(std::string& directory) {
    if (tempPathFails) return false;
    directory = tempPath;
    return true;
}

sys::LogFileState FakeUnattendedSystem::OpenLog(const std::string& path, bool& empty) {
    system_.calls.push_back("OpenLog " + path);
    log_.reset();
    const std::string key = system_.Key(path);
    if (unwritable.count(path) != 0) {
        system_.lastError = kErrorAccessDenied;
        return sys::LogFileState::Unusable;
    }
    if (system_.DirectoryExists(path)) return sys::LogFileState::NotAFile;
    std::shared_ptr<FakeSystem::File> file = system_.OpenFileObject(path);
    const bool existed = file != nullptr;
    if (!existed) {
        if (!system_.DirectoryExists(key.substr(0, key.rfind('\\')))) {
            system_.lastError = kErrorPathNotFound;
            return sys::LogFileState::Unusable;
        }
        file = system_.CreateFileObject(path);
    }
    // OPEN_ALWAYS tells an opened file from a created one, also when it succeeds.
    system_.lastError = existed ? kErrorAlreadyExists : 0;
    if (!file->linkTarget.empty()) return sys::LogFileState::Link;
    if (system_.NameCount(file) != 1) return sys::LogFileState::MoreThanOneName;
    if (!file->owner.empty()) return sys::LogFileState::OtherOwner;
    log_ = file;
    empty = file->bytes.empty();
    return sys::LogFileState::OwnFile;
}

bool FakeUnattendedSystem::AppendLog(const std::string& bytes) {
    if (log_ == nullptr) {
        system_.lastError = kErrorInvalidHandle;
        return false;
    }
    log_->bytes += bytes;
    return true;
}

bool FakeUnattendedSystem::ToUtf8(uint32_t codePage, const std::string& text,
                                  std::string& utf8) {
    utf8.clear();
    if (codePage == sys::kCpAcp) codePage = system_.ansiCodePage;
    const std::string name = "CP" + std::to_string(codePage);
    iconv_t convert = iconv_open("UTF-8", name.c_str());
    if (convert == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("no " + name + " in iconv");
    std::string in = text;
    std::string out(text.size() * 3 + 8, '\0');
    char* inPointer = &in[0];
    char* outPointer = &out[0];
    size_t inLeft = in.size();
    size_t outLeft = out.size();
    // As MB_ERR_INVALID_CHARS: a byte sequence that is no character, or a cut one, fails.
    const size_t result = iconv(convert, &inPointer, &inLeft, &outPointer, &outLeft);
    iconv_close(convert);
    if (result == static_cast<size_t>(-1)) {
        system_.lastError = kErrorNoUnicodeTranslation;
        return false;
    }
    out.resize(out.size() - outLeft);
    utf8 = out;
    return true;
}

std::string FakeUnattendedSystem::GetModuleFileName() {
    if (moduleFileName.empty()) system_.lastError = 122;  // ERROR_INSUFFICIENT_BUFFER
    return moduleFileName;
}

bool FakeUnattendedSystem::SetCurrentDirectory(const std::string& directory) {
    if (missingDirectories.count(directory) != 0) {
        system_.lastError = 3;  // ERROR_PATH_NOT_FOUND
        return false;
    }
    system_.calls.push_back("SetCurrentDirectory " + directory);
    system_.currentDirectory = directory;
    return true;
}

bool FakeUnattendedSystem::WriteStandardOutput(const std::string& bytes) {
    if (!hasStandardOutput) return false;
    standardOutput += bytes;
    return true;
}

uint32_t FakeUnattendedSystem::QueryServiceConfig(const std::string& serviceName,
                                                  uint32_t& startType) {
    system_.calls.push_back("QueryServiceConfig " + serviceName);
    if (queryServiceConfigError != 0) return queryServiceConfigError;
    const auto type = system_.serviceStartTypes.find(serviceName);
    if (system_.services.count(serviceName) == 0 || type == system_.serviceStartTypes.end())
        return sys::kErrorServiceDoesNotExist;
    startType = type->second;
    return 0;
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
