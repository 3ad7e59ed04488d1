#include "tests/unit/FakeSystem.h"

#include <algorithm>
#include <cctype>

namespace fake {

namespace {
constexpr uint32_t kErrorPathNotFound = 3;
constexpr uint32_t kErrorAccessDenied = 5;
constexpr uint32_t kErrorSharingViolation = 32;
constexpr uint32_t kErrorProcNotFound = 127;
constexpr uint32_t kErrorFileExists = 80;
constexpr uint32_t kErrorAlreadyExists = 183;
constexpr uint32_t kErrorFilenameExcedRange = 206;
constexpr size_t kMaxPath = 260;
constexpr uint32_t kFileAttributeArchive = 0x20;
constexpr uint32_t kFileAttributeHidden = 0x2;
constexpr uint32_t kFileAttributeSystem = 0x4;
constexpr uint32_t kErrorDiskFull = 112;
constexpr uint32_t kErrorMrMidNotFound = 317;

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}
// Whether a name matches a pattern of '*' (any run of characters) and '?' (any one),
// both already in one letter case. Only long names: the fake has no short (8.3) names.
bool WildcardMatches(const std::string& pattern, const std::string& name) {
    if (pattern.empty()) return name.empty();
    if (pattern[0] == '*') {
        for (std::size_t skip = 0; skip <= name.size(); ++skip)
            if (WildcardMatches(pattern.substr(1), name.substr(skip))) return true;
        return false;
    }
    return !name.empty() && (pattern[0] == '?' || pattern[0] == name[0]) &&
           WildcardMatches(pattern.substr(1), name.substr(1));
}
}  // namespace

FakeSystem::FakeSystem() {
    printerDriverDirectories["Windows NT x86"] =
        "C:\\WINDOWS\\system32\\spool\\drivers\\w32x86";
    printerDriverDirectories["Windows x64"] = "C:\\WINDOWS\\system32\\spool\\drivers\\x64";
    for (const auto& [env, dir] : printerDriverDirectories) AddDirectory(dir);
    AddDirectory(windowsDirectory);
    AddDirectory("c:\\windows\\inf");
    AddDirectory(currentDirectory);
    messageTexts[2] = "The system cannot find the file specified.\r\n";
    messageTexts[3] = "The system cannot find the path specified.\r\n";
    messageTexts[5] = "Access is denied.\r\n";
    messageTexts[32] =
        "The process cannot access the file because it is being used by another process.\r\n";
    messageTexts[206] = "The filename or extension is too long.\r\n";
}

std::string FakeSystem::Key(const std::string& path) const {
    std::string full = path;
    if (full.rfind(".\\", 0) == 0) full = currentDirectory + full.substr(1);
    else if (full.size() < 2 || full[1] != ':') full = currentDirectory + "\\" + full;
    std::string key;
    for (char c : full) {
        if (c == '/') c = '\\';
        if (c == '\\' && !key.empty() && key.back() == '\\') continue;
        key += c;
    }
    while (key.size() > 3 && key.back() == '\\') key.pop_back();
    return Lower(key);
}

bool FakeSystem::ParentExists(const std::string& key) const {
    auto slash = key.rfind('\\');
    if (slash == std::string::npos) return false;
    std::string parent = key.substr(0, slash);
    if (parent.size() == 2) return true;  // "c:"
    return directories_.count(parent) != 0;
}

void FakeSystem::AddDirectory(const std::string& path) {
    std::string key = Key(path);
    while (key.size() > 2) {
        directories_.insert(key);
        auto slash = key.rfind('\\');
        if (slash == std::string::npos) break;
        key = key.substr(0, slash);
    }
}

void FakeSystem::AddFile(const std::string& path, const std::string& bytes,
                         uint32_t attributes) {
    std::string key = Key(path);
    AddDirectory(key.substr(0, key.rfind('\\')));
    ++writes_;
    files_[key] = std::make_shared<File>(File{bytes, attributes, writes_, writes_, "", ""});
}

bool FakeSystem::FileExists(const std::string& path) const { return files_.count(Key(path)) != 0; }
bool FakeSystem::DirectoryExists(const std::string& path) const {
    return directories_.count(Key(path)) != 0;
}
std::string FakeSystem::FileBytes(const std::string& path) const {
    auto it = files_.find(Key(path));
    return it == files_.end() ? std::string() : it->second->bytes;
}
uint32_t FakeSystem::FileAttributes(const std::string& path) const {
    auto it = files_.find(Key(path));
    return it == files_.end() ? sys::kInvalidFileAttributes : it->second->attributes;
}
void FakeSystem::RemoveFile(const std::string& path) { files_.erase(Key(path)); }
uint64_t FakeSystem::LastWriteTime(const std::string& path) const {
    auto it = files_.find(Key(path));
    return it == files_.end() ? 0 : it->second->version;
}
void FakeSystem::SetLastWriteTime(const std::string& path, uint64_t time) {
    files_.at(Key(path))->version = time;
}

void FakeSystem::AddHardLink(const std::string& path, const std::string& existingPath) {
    const std::string key = Key(path);
    AddDirectory(key.substr(0, key.rfind('\\')));
    files_[key] = files_.at(Key(existingPath));
}

void FakeSystem::AddLink(const std::string& path, const std::string& target) {
    AddFile(path, "");
    files_.at(Key(path))->linkTarget = target;
}

void FakeSystem::SetOwner(const std::string& path, const std::string& owner) {
    files_.at(Key(path))->owner = owner;
}

std::shared_ptr<FakeSystem::File> FakeSystem::OpenFileObject(const std::string& path) {
    const auto it = files_.find(Key(path));
    return it == files_.end() ? nullptr : it->second;
}

std::shared_ptr<FakeSystem::File> FakeSystem::CreateFileObject(const std::string& path) {
    AddFile(path, "");
    return files_.at(Key(path));
}

std::size_t FakeSystem::NameCount(const std::shared_ptr<File>& file) const {
    return static_cast<std::size_t>(std::count_if(
        files_.begin(), files_.end(), [&](const auto& entry) { return entry.second == file; }));
}

std::vector<std::string> FakeSystem::CallsStartingWith(const std::string& prefix) const {
    std::vector<std::string> result;
    for (const auto& call : calls)
        if (call.rfind(prefix, 0) == 0) result.push_back(call);
    return result;
}

// What Windows reports for a file that is not there: the folder it names is missing
// too, or only the file.
uint32_t FakeSystem::NotFoundError(const std::string& key) const {
    return ParentExists(key) ? sys::kErrorFileNotFound : kErrorPathNotFound;
}

bool FakeSystem::InUse(const std::string& path, const std::string& key) const {
    return Held(inUse, path, key) || Held(heldExclusively, path, key);
}

bool FakeSystem::Undeletable(const std::string& path, const std::string& key) const {
    return InUse(path, key) || Held(heldAgainstDeletion, path, key);
}

bool FakeSystem::Held(const std::set<std::string>& files, const std::string& path,
                      const std::string& key) {
    return files.count(path) != 0 || files.count(key) != 0;
}

bool FakeSystem::Fail(uint32_t code) {
    lastError = code;
    return false;
}

bool FakeSystem::Injected(const char* method) {
    if (failMethod != method) return false;
    const int occurrence = occurrences_[method]++;
    if (failOccurrence != -1 && occurrence != failOccurrence) return false;
    // Every method logs its call before it asks.
    injectedAt.push_back(calls.size() - 1);
    if (failThrows) std::rethrow_exception(failThrows);
    lastError = kInjectedError;
    return true;
}

bool FakeSystem::HasProcAddress(const std::string& module, const std::string& procName) {
    calls.push_back("GetProcAddress " + module + " " + procName);
    if (Injected("HasProcAddress")) return false;
    if (module == "kernel32" && procName == "IsWow64Process") return hasIsWow64Process;
    if (module == "kernel32" && procName == "IsWow64Process2") return hasIsWow64Process2;
    if (module == "newdev" && procName == "DiInstallDriverA") return hasDiInstallDriver;
    return false;
}

bool FakeSystem::IsWow64Process(int32_t& result) {
    calls.push_back("IsWow64Process");
    if (Injected("IsWow64Process")) return false;
    if (isWow64ProcessFails) return Fail(kErrorAccessDenied);
    result = wow64;
    return true;
}

uint16_t FakeSystem::GetSystemInfoProcessorArchitecture() {
    calls.push_back("GetSystemInfo");
    return processorArchitecture;
}

bool FakeSystem::GetVersionEx(sys::OsVersion& out) {
    calls.push_back("GetVersionEx");
    if (Injected("GetVersionEx")) return false;
    if (versionQueryFails) return Fail(87);
    out = version;
    return true;
}

bool FakeSystem::GetCPInfo(uint32_t codePage, std::vector<sys::LeadByteRange>& leadBytes) {
    calls.push_back("GetCPInfo " + std::to_string(codePage));
    leadBytes.clear();
    if (Injected("GetCPInfo")) return false;
    switch (codePage == sys::kCpAcp ? ansiCodePage : codePage) {
    case 936:  // Simplified Chinese, Korean, Traditional Chinese
    case 949:
    case 950: leadBytes = {{0x81, 0xFE}}; break;
    case 932: leadBytes = {{0x81, 0x9F}, {0xE0, 0xFC}}; break;  // Japanese
    default: break;  // single-byte code pages
    }
    return true;
}

int FakeSystem::GetSystemMetrics(int index) {
    calls.push_back("GetSystemMetrics " + std::to_string(index));
    return index == sys::kSmServerR2 ? serverR2Metric : 0;
}

bool FakeSystem::IsWow64Process2(uint16_t& processMachine, uint16_t& native) {
    calls.push_back("IsWow64Process2");
    if (Injected("IsWow64Process2")) return false;
    if (!hasIsWow64Process2) return Fail(kErrorProcNotFound);
    processMachine = wow64 != 0 ? sys::kImageFileMachineI386 : sys::kImageFileMachineUnknown;
    native = nativeMachine != 0 ? nativeMachine
             : wow64 != 0       ? sys::kImageFileMachineAmd64
                                : sys::kImageFileMachineI386;
    return true;
}

bool FakeSystem::QueryServiceStatus(const std::string& serviceName, uint32_t& currentState) {
    calls.push_back("QueryServiceStatus " + serviceName);
    if (Injected("QueryServiceStatus")) return false;
    const auto service = services.find(serviceName);
    if (service == services.end()) return Fail(sys::kErrorServiceDoesNotExist);
    currentState = service->second;
    return true;
}

bool FakeSystem::IsProtectedPrintEnabled(bool& enabled) {
    calls.push_back("IsProtectedPrintEnabled");
    if (Injected("IsProtectedPrintEnabled")) return false;
    if (protectedPrintInfoError != 0) return Fail(protectedPrintInfoError);
    enabled = protectedPrintEnabled;
    return true;
}

bool FakeSystem::GetTokenInformationTokenElevation(bool& elevated) {
    calls.push_back("GetTokenInformation TokenElevation");
    if (Injected("GetTokenInformationTokenElevation")) return false;
    if (!knowsTokenElevation) return Fail(sys::kErrorInvalidParameter);
    elevated = tokenElevated;
    return true;
}

bool FakeSystem::CheckTokenMembershipAdministrators(bool& isMember) {
    calls.push_back("CheckTokenMembership Administrators");
    if (Injected("CheckTokenMembershipAdministrators")) return false;
    isMember = administratorsMember;
    return true;
}

void FakeSystem::SetRegistryDword(const std::string& subKey, const std::string& valueName,
                                  uint32_t data) {
    registryDwords_[Lower(subKey + "\\" + valueName)] = data;
}

void FakeSystem::StopSpooler() {
    services["Spooler"] = sys::kServiceStopped;
    spoolerDown = true;
    printerDriverDirectoryFails = true;
}

void FakeSystem::StartSpoolerAfter(uint32_t milliseconds) {
    StopSpooler();
    services["Spooler"] = sys::kServiceStartPending;
    spoolerRunsAt_ = sleptMilliseconds + milliseconds;
    spoolerStarting_ = true;
}

uint32_t FakeSystem::GetLastError() { return lastError; }
void FakeSystem::SetLastError(uint32_t code) {
    calls.push_back("SetLastError " + std::to_string(code));
    lastError = code;
}

std::string FakeSystem::FormatMessage(uint32_t code) {
    calls.push_back("FormatMessage " + std::to_string(code));
    auto it = messageTexts.find(code);
    if (it != messageTexts.end()) return it->second;
    // The lookup fails with an error of its own, in place of the one it was asked about.
    lastError = kErrorMrMidNotFound;
    return {};
}

void FakeSystem::Sleep(uint32_t milliseconds) {
    calls.push_back("Sleep " + std::to_string(milliseconds));
    sleptMilliseconds += milliseconds;
    if (spoolerStarting_ && sleptMilliseconds >= spoolerRunsAt_) {
        spoolerStarting_ = false;
        services["Spooler"] = sys::kServiceRunning;
        spoolerDown = false;
        printerDriverDirectoryFails = false;
    }
}

bool FakeSystem::PathFileExists(const std::string& path) {
    calls.push_back("PathFileExists " + path);
    if (Injected("PathFileExists")) return false;
    std::string key = Key(path);
    return files_.count(key) != 0 || directories_.count(key) != 0;
}

bool FakeSystem::CreateDirectory(const std::string& path) {
    calls.push_back("CreateDirectory " + path);
    if (Injected("CreateDirectory")) return false;
    std::string key = Key(path);
    if (createDirectoryFails) return Fail(kErrorAccessDenied);
    if (directories_.count(key) || files_.count(key)) return Fail(kErrorAlreadyExists);
    if (!ParentExists(key)) return Fail(kErrorPathNotFound);
    directories_.insert(key);
    return true;
}

bool FakeSystem::CopyFile(const std::string& source, const std::string& target,
                          bool failIfExists) {
    calls.push_back("CopyFile " + source + " -> " + target +
                    (failIfExists ? " failIfExists" : ""));
    if (Injected("CopyFile")) return false;
    if (target.size() >= kMaxPath || source.size() >= kMaxPath)
        return Fail(kErrorFilenameExcedRange);
    const std::string sourceKey = Key(source);
    auto from = files_.find(sourceKey);
    if (from == files_.end())
        return Fail(directories_.count(sourceKey) ? kErrorAccessDenied : NotFoundError(sourceKey));
    std::string key = Key(target);
    if (failCopyTo.count(target) || failCopyTo.count(key)) return Fail(failCopyError);
    if (!ParentExists(key)) return Fail(kErrorPathNotFound);
    const bool isDirectory = directories_.count(key) != 0;
    auto existing = files_.find(key);
    if (isDirectory || existing != files_.end()) {
        if (failIfExists) return Fail(kErrorFileExists);
        if (isDirectory) return Fail(kErrorAccessDenied);
        if (InUse(target, key)) return Fail(kErrorSharingViolation);
        if (existing->second->attributes & sys::kFileAttributeReadonly)
            return Fail(kErrorAccessDenied);
    }
    File copy = *from->second;
    // The copy keeps the source's attributes and is marked for archiving; "normal" only
    // stands for no attribute at all.
    copy.attributes = (copy.attributes & ~sys::kFileAttributeNormal) | kFileAttributeArchive;
    copy.version = ++writes_;
    // An existing target is written into: every other name of it sees the copy too.
    if (existing != files_.end()) *existing->second = copy;
    else files_[key] = std::make_shared<File>(copy);
    return true;
}

bool FakeSystem::DeleteFile(const std::string& path) {
    calls.push_back("DeleteFile " + path);
    if (Injected("DeleteFile")) return false;
    std::string key = Key(path);
    auto it = files_.find(key);
    if (it == files_.end())
        return Fail(directories_.count(key) ? kErrorAccessDenied : NotFoundError(key));
    if (Undeletable(path, key)) return Fail(kErrorSharingViolation);
    if (it->second->attributes & sys::kFileAttributeReadonly) return Fail(kErrorAccessDenied);
    files_.erase(it);
    return true;
}

uint32_t FakeSystem::GetFileAttributes(const std::string& path) {
    calls.push_back("GetFileAttributes " + path);
    if (Injected("GetFileAttributes")) return sys::kInvalidFileAttributes;
    std::string key = Key(path);
    auto it = files_.find(key);
    if (it != files_.end()) return it->second->attributes;
    if (directories_.count(key)) return 0x10;
    lastError = NotFoundError(key);
    return sys::kInvalidFileAttributes;
}

bool FakeSystem::SetFileAttributes(const std::string& path, uint32_t attributes) {
    calls.push_back("SetFileAttributes " + path + " " + std::to_string(attributes));
    if (Injected("SetFileAttributes")) return false;
    auto it = files_.find(Key(path));
    if (it == files_.end()) return Fail(NotFoundError(Key(path)));
    it->second->attributes = attributes;
    return true;
}

bool FakeSystem::GetFileStamp(const std::string& path, sys::FileStamp& stamp) {
    calls.push_back("GetFileStamp " + path);
    if (Injected("GetFileStamp")) return false;
    auto it = files_.find(Key(path));
    if (it == files_.end()) return Fail(sys::kErrorFileNotFound);
    stamp.size = it->second->bytes.size();
    stamp.lastWriteTime = it->second->version;
    stamp.creationTime = it->second->created;
    return true;
}

const std::string* FakeSystem::BytesToRead(const std::string& path, bool& opened) {
    std::string key = Key(path);
    auto it = files_.find(key);
    if (it == files_.end()) {
        lastError = directories_.count(key) ? kErrorAccessDenied : sys::kErrorFileNotFound;
        return nullptr;
    }
    if (heldExclusively.count(path) || heldExclusively.count(key)) {
        lastError = kErrorSharingViolation;
        return nullptr;
    }
    opened = true;
    if (failReadOf.count(path) || failReadOf.count(key)) {
        lastError = 23;  // ERROR_CRC
        return nullptr;
    }
    return &it->second->bytes;
}

sys::FileRead FakeSystem::ReadFile(const std::string& path, uint32_t maxBytes) {
    calls.push_back("ReadFile " + path);
    sys::FileRead result;
    if (Injected("ReadFile")) return result;
    const std::string* bytes = BytesToRead(path, result.opened);
    if (bytes == nullptr) return result;
    result.readOk = true;
    result.bytes = bytes->substr(0, maxBytes);
    return result;
}

bool FakeSystem::CanOpenForReading(const std::string& path) {
    calls.push_back("CanOpenForReading " + path);
    if (Injected("CanOpenForReading")) return false;
    bool opened = false;
    BytesToRead(path, opened);
    return opened;
}

sys::FileScan FakeSystem::ScanFile(const std::string& path, uint32_t chunkBytes,
                                   const sys::ChunkConsumer& consume) {
    calls.push_back("ScanFile " + path);
    sys::FileScan result;
    if (Injected("ScanFile")) return result;
    const std::string* held = BytesToRead(path, result.opened);
    if (held == nullptr) return result;
    // What the file held when it was opened, even if consume changes the files.
    const std::string bytes = *held;
    for (std::size_t at = 0; at < bytes.size(); at += chunkBytes) {
        if (!consume(bytes.data() + at, std::min<std::size_t>(chunkBytes, bytes.size() - at)))
            break;
    }
    result.readOk = true;
    return result;
}

bool FakeSystem::WriteFile(const std::string& path, const std::string& bytes) {
    calls.push_back("WriteFile " + path);
    if (Injected("WriteFile")) return false;
    std::string key = Key(path);
    if (!ParentExists(key)) return Fail(kErrorPathNotFound);
    if (directories_.count(key)) return Fail(kErrorAccessDenied);
    auto it = files_.find(key);
    const bool existed = it != files_.end();
    if (existed) {
        if (InUse(path, key)) return Fail(kErrorSharingViolation);
        // CREATE_ALWAYS with FILE_ATTRIBUTE_NORMAL refuses what it would make visible.
        if (it->second->attributes & (sys::kFileAttributeReadonly | kFileAttributeHidden |
                                     kFileAttributeSystem))
            return Fail(kErrorAccessDenied);
    } else {
        it = files_.emplace(key, std::make_shared<File>(File{"", 0, 0, ++writes_, "", ""})).first;
    }
    // CREATE_ALWAYS empties an existing file, keeps its creation time and marks it for
    // archiving whatever attributes the creation asked for.
    it->second->bytes.clear();
    it->second->attributes = kFileAttributeArchive;
    it->second->version = ++writes_;
    if (Held(diskFullFor, path, key)) return Fail(kErrorDiskFull);
    it->second->bytes = bytes;
    // CreateFileA tells an overwritten file from a new one.
    lastError = existed ? kErrorAlreadyExists : 0;
    return true;
}

std::string FakeSystem::GetFullPathName(const std::string& path) {
    calls.push_back("GetFullPathName " + path);
    if (Injected("GetFullPathName")) return "";
    if (path.rfind(".\\", 0) == 0) return currentDirectory + path.substr(1);
    // A bare relative name means the current directory, as on Windows.
    const bool absolute = (path.size() >= 2 && path[1] == ':') || path.rfind("\\", 0) == 0;
    return absolute ? path : currentDirectory + "\\" + path;
}

bool FakeSystem::FindFirstFile(const std::string& pattern, std::vector<std::string>& names) {
    calls.push_back("FindFirstFile " + pattern);
    names.clear();
    if (Injected("FindFirstFile")) return false;
    const std::size_t slash = pattern.find_last_of('\\');
    const std::string folder = Key(slash == std::string::npos ? "." : pattern.substr(0, slash));
    const std::string wanted = Lower(pattern.substr(slash == std::string::npos ? 0 : slash + 1));
    // A drive's root ("c:\\") is the folder of "c:\\name".
    const std::string parent = folder.back() == '\\' ? folder.substr(0, folder.size() - 1) : folder;
    if (parent.size() != 2 && directories_.count(folder) == 0) return Fail(kErrorPathNotFound);
    const auto take = [&](const std::string& key) {
        const std::size_t at = key.find_last_of('\\');
        if (key.substr(0, at) == parent && WildcardMatches(wanted, key.substr(at + 1)))
            names.push_back(key.substr(at + 1));
    };
    for (const auto& [key, file] : files_) take(key);
    for (const std::string& key : directories_) take(key);
    return true;
}

bool FakeSystem::GetWindowsDirectory(std::string& directory) {
    calls.push_back("GetWindowsDirectory");
    if (Injected("GetWindowsDirectory")) return false;
    if (windowsDirectoryFails) return Fail(kErrorAccessDenied);
    directory = sessionWindowsDirectory.empty() ? windowsDirectory : sessionWindowsDirectory;
    return true;
}

bool FakeSystem::GetSystemWindowsDirectory(std::string& directory) {
    calls.push_back("GetSystemWindowsDirectory");
    if (Injected("GetSystemWindowsDirectory")) return false;
    directory = windowsDirectory;
    return true;
}

bool FakeSystem::GetSystemDirectory(std::string& directory) {
    calls.push_back("GetSystemDirectory");
    if (Injected("GetSystemDirectory")) return false;
    directory = systemDirectory;
    return true;
}

bool FakeSystem::GetPrinterDriverDirectory(const std::string& environment,
                                           std::string& directory) {
    calls.push_back("GetPrinterDriverDirectory " + environment);
    if (Injected("GetPrinterDriverDirectory")) return false;
    if (printerDriverDirectoryFails) return Fail(sys::kRpcServerUnavailable);
    auto it = printerDriverDirectories.find(environment);
    if (it == printerDriverDirectories.end()) return Fail(1805);  // invalid environment
    directory = it->second;
    return true;
}

std::vector<std::string> FakeSystem::EnumPrinterDrivers() {
    calls.push_back("EnumPrinterDrivers");
    if (Injected("EnumPrinterDrivers")) return {};
    return drivers;
}

std::vector<std::string> FakeSystem::EnumPrinters() {
    calls.push_back("EnumPrinters");
    if (Injected("EnumPrinters")) return {};
    return printers;
}

bool FakeSystem::EnumPrinterDriversIn(const std::string& environment,
                                      std::vector<std::string>& names) {
    calls.push_back("EnumPrinterDriversIn " + environment);
    names.clear();
    if (Injected("EnumPrinterDriversIn")) return false;
    if (spoolerDown) return Fail(sys::kRpcServerUnavailable);
    if (environment == "Windows NT x86") names = drivers;
    else if (environment == "Windows x64") names = drivers64;
    else return Fail(1805);  // ERROR_INVALID_ENVIRONMENT
    return true;
}

bool FakeSystem::EnumPrinterDriverVersions(const std::string& environment,
                                           std::vector<sys::PrinterDriverVersion>& list) {
    calls.push_back("EnumPrinterDriverVersions " + environment);
    list.clear();
    if (Injected("EnumPrinterDriverVersions")) return false;
    if (spoolerDown) return Fail(sys::kRpcServerUnavailable);
    const bool x64 = environment == "Windows x64";
    if (!x64 && environment != "Windows NT x86") return Fail(1805);  // ERROR_INVALID_ENVIRONMENT
    const std::map<std::string, uint64_t>& versions = x64 ? driverVersions64 : driverVersions;
    for (const std::string& name : x64 ? drivers64 : drivers) {
        const auto kept = versions.find(name);
        list.push_back({name, kept == versions.end() ? 0 : kept->second});
    }
    return true;
}

bool FakeSystem::EnumPrinterQueues(std::vector<sys::PrinterQueue>& queues) {
    calls.push_back("EnumPrinterQueues");
    queues.clear();
    if (Injected("EnumPrinterQueues")) return false;
    if (spoolerDown) return Fail(sys::kRpcServerUnavailable);
    for (const std::string& name : printers) {
        sys::PrinterQueue queue;
        const auto details = printerDetails.find(name);
        if (details != printerDetails.end()) queue = details->second;
        queue.printerName = name;
        queues.push_back(queue);
    }
    return true;
}

bool FakeSystem::StartProcess(const std::string& applicationName,
                              const std::string& commandLine, bool waited, uint32_t bound) {
    calls.push_back("CreateProcess " + commandLine);
    if (Injected("CreateProcess")) return false;
    if (processStartFails && processStartFails(commandLine)) return Fail(sys::kErrorFileNotFound);
    processes.push_back(StartedProcess{applicationName, commandLine, waited, bound});
    const bool endsInTime = !(bound != 0 && processNeverEnds && processNeverEnds(commandLine));
    if (onProcessStart && endsInTime) onProcessStart(commandLine);
    return true;
}

bool FakeSystem::CreateProcess(const std::string& applicationName,
                               const std::string& commandLine) {
    return StartProcess(applicationName, commandLine, false);
}

sys::ProcessExit FakeSystem::CreateProcessAndWait(const std::string& applicationName,
                                                  const std::string& commandLine) {
    sys::ProcessExit result;
    result.started = StartProcess(applicationName, commandLine, true);
    if (result.started && exitCodeKnown && !Injected("GetExitCodeProcess")) {
        result.exitCodeKnown = true;
        result.exitCode = exitCode;
    }
    return result;
}

sys::ProcessExit FakeSystem::CreateProcessAndWaitAtMost(const std::string& applicationName,
                                                        const std::string& commandLine,
                                                        uint32_t milliseconds) {
    sys::ProcessExit result;
    result.started = StartProcess(applicationName, commandLine, true, milliseconds);
    if (!result.started) return result;
    StartedProcess& process = processes.back();
    result.jobError = jobAssignError;
    process.inJob = jobAssignError == 0;
    if (processNeverEnds && processNeverEnds(commandLine)) {
        result.timedOut = true;
        process.ended = endProcessError == 0;
        result.ended = process.ended;
        if (!result.ended) lastError = endProcessError;
        return result;
    }
    if (exitCodeKnown && !Injected("GetExitCodeProcess")) {
        result.exitCodeKnown = true;
        result.exitCode = exitCode;
    }
    return result;
}

bool FakeSystem::SetupCopyOEMInf(const std::string& sourceInfPath,
                                 std::string& destinationName,
                                 std::string& destinationFileName) {
    calls.push_back("SetupCopyOEMInf " + sourceInfPath);
    if (Injected("SetupCopyOEMInf")) return false;
    if (copyOemInfFails) return Fail(copyOemInfError);
    if (!files_.count(Key(sourceInfPath))) return Fail(sys::kErrorFileNotFound);
    destinationName = "C:\\windows\\inf\\" + stagedInfName;
    destinationFileName = stagedInfName;
    AddFile(destinationName, FileBytes(sourceInfPath));
    return true;
}

bool FakeSystem::SetupUninstallOEMInf(const std::string& infFileName, uint32_t flags) {
    calls.push_back("SetupUninstallOEMInf " + infFileName + " " + std::to_string(flags));
    if (Injected("SetupUninstallOEMInf")) return false;
    uninstalled.push_back(infFileName);
    if (uninstallFails.count(infFileName)) return Fail(kErrorAccessDenied);
    // The system's own INF folder, wherever Windows lives.
    const std::string path = windowsDirectory + "\\inf\\" + infFileName;
    std::string key = Key(path);
    if (!files_.count(key)) return Fail(sys::kErrorFileNotFound);
    if (Undeletable(path, key)) return Fail(kErrorSharingViolation);
    files_.erase(key);
    return true;
}

bool FakeSystem::UpdateDriverForPlugAndPlayDevices(const std::string& hardwareId,
                                                   const std::string& fullInfPath,
                                                   uint32_t installFlags) {
    calls.push_back("UpdateDriverForPlugAndPlayDevices");
    if (Injected("UpdateDriverForPlugAndPlayDevices")) return false;
    updateDriverCalls.push_back(hardwareId + "|" + fullInfPath + "|" +
                                std::to_string(installFlags));
    if (updateDriverError != 0) return Fail(updateDriverError);
    if (onDriverUpdated) onDriverUpdated();
    return true;
}

bool FakeSystem::SetupVerifyInfFile(const std::string& fullInfPath) {
    calls.push_back("SetupVerifyInfFile " + fullInfPath);
    if (Injected("SetupVerifyInfFile")) return false;
    if (verifyInfError == kErrorProcNotFound) return Fail(kErrorProcNotFound);
    if (!files_.count(Key(fullInfPath))) return Fail(sys::kErrorFileNotFound);
    return verifyInfError == 0 || Fail(verifyInfError);
}

bool FakeSystem::DiInstallDriver(const std::string& fullInfPath) {
    calls.push_back("DiInstallDriver " + fullInfPath);
    if (Injected("DiInstallDriver")) return false;
    if (!hasDiInstallDriver) return Fail(kErrorProcNotFound);
    if (diInstallDriverError != 0) return Fail(diInstallDriverError);
    return true;
}

sys::RunLockState FakeSystem::TakeRunLock() {
    calls.push_back("TakeRunLock");
    if (runLockError != 0) {
        lastError = runLockError;
        return sys::RunLockState::Failed;
    }
    if (runLockHolder == RunLockHolder::AnotherAccount) {
        lastError = 5;  // ERROR_ACCESS_DENIED
        return sys::RunLockState::Denied;
    }
    if (runLockHolder == RunLockHolder::AnotherRun) {
        lastError = 183;  // ERROR_ALREADY_EXISTS
        return sys::RunLockState::HeldByAnotherRun;
    }
    runLockTaken = true;
    return sys::RunLockState::Taken;
}

}  // namespace fake
