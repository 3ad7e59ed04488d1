#include "sys/Win32System.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <new>

#include "sys/ResponsiveWait.h"
#include "sys/ScopedWin32.h"
#include "sys/SystemLibrary.h"
#include "sys/WindowsApi.h"

namespace sys {

namespace {

// Puts back, when the scope ends, the last-error code that Capture took, so that
// releasing handles, modules and memory afterwards cannot change what the caller reads.
class LastErrorKeeper {
public:
    LastErrorKeeper() = default;
    ~LastErrorKeeper() {
        if (captured_) ::SetLastError(code_);
    }
    LastErrorKeeper(const LastErrorKeeper&) = delete;
    LastErrorKeeper& operator=(const LastErrorKeeper&) = delete;

    void Capture() {
        code_ = ::GetLastError();
        captured_ = true;
    }

private:
    DWORD code_ = ERROR_SUCCESS;
    bool captured_ = false;
};

// The libraries beyond the imported ones, each loaded from the system directory on
// first use (see SystemLibrary.h). Constant-initialised: no order of start-up matters.
SystemLibrary advapi32("advapi32.dll");
SystemLibrary combase("combase.dll");
SystemLibrary newdev("newdev.dll");
SystemLibrary setupapi("setupapi.dll");
SystemLibrary shlwapi("shlwapi.dll");
SystemLibrary winspool("winspool.drv");

// Runs a call of the common Win32 text convention: it answers the length written,
// without the terminator, when the text fitted; the size it needs, with the terminator,
// when it did not; 0 on failure. The text may change between two calls (another thread
// may change the current directory), hence a few rounds rather than one.
template <typename Call>
bool FetchText(Call call, std::string& text) {
    constexpr int kRounds = 4;
    std::string buffer(MAX_PATH, '\0');
    for (int round = 0; round < kRounds; ++round) {
        const DWORD length = call(&buffer[0], static_cast<DWORD>(buffer.size()));
        if (length == 0) return false;
        if (length < buffer.size()) {
            buffer.resize(length);
            text = std::move(buffer);
            return true;
        }
        buffer.assign(static_cast<size_t>(length) + 1, '\0');
    }
    ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return false;
}

// The text of a buffer that the system filled, up to its first zero byte.
std::string UpToTerminator(const std::string& buffer) {
    return buffer.substr(0, buffer.find('\0'));
}

// The two-call spooler enumeration: the first call only learns the bytes needed, the
// second fills one buffer of exactly that size. A failed second call lists nothing, and
// nothing is retried: a list that grew between the calls is taken as empty. Each entry
// is handed to take, which copies what it needs out of the buffer. False when the
// spooler could not be asked; a first call that needs no buffer and succeeds lists
// nothing.
template <typename Info, typename Result, typename Enumerate, typename Take>
bool EnumerateEntries(Enumerate enumerate, Take take, std::vector<Result>& results) {
    results.clear();
    DWORD needed = 0;
    DWORD returned = 0;
    const bool answered = enumerate(nullptr, 0, &needed, &returned) != FALSE;
    if (needed == 0) return answered;

    std::vector<BYTE> buffer(needed);
    returned = 0;
    if (!enumerate(buffer.data(), needed, &needed, &returned)) return false;

    const size_t count = std::min<size_t>(returned, buffer.size() / sizeof(Info));
    const auto* entries = reinterpret_cast<const Info*>(buffer.data());
    results.reserve(count);
    for (size_t index = 0; index < count; ++index) take(entries[index], results);
    return true;
}

template <typename Info, typename Enumerate>
bool EnumerateNames(Enumerate enumerate, LPSTR Info::*name, std::vector<std::string>& names) {
    return EnumerateEntries<Info>(
        enumerate,
        [name](const Info& entry, std::vector<std::string>& list) {
            if (entry.*name != nullptr) list.emplace_back(entry.*name);
        },
        names);
}

template <typename Info, typename Enumerate>
std::vector<std::string> EnumerateNames(Enumerate enumerate, LPSTR Info::*name) {
    std::vector<std::string> names;
    EnumerateNames<Info>(enumerate, name, names);
    return names;
}

// A text field of a spooler record, which the spooler may leave null.
std::string TextOf(LPCSTR text) { return text != nullptr ? std::string(text) : std::string(); }

struct StartedProcess {
    bool started = false;
    PROCESS_INFORMATION info{};
};

StartedProcess StartProcess(const std::string& applicationName, const std::string& commandLine,
                            DWORD creationFlags = NORMAL_PRIORITY_CLASS) {
    STARTUPINFOA own{};
    own.cb = sizeof(own);
    ::GetStartupInfoA(&own);
    // Only how the parent was asked to show its window passes on: the parent's standard
    // handles and lpReserved2 were never inherited by the child (no inheritance).
    STARTUPINFOA startupInfo{};
    startupInfo.cb = sizeof(startupInfo);
    if ((own.dwFlags & STARTF_USESHOWWINDOW) != 0) {
        startupInfo.dwFlags = STARTF_USESHOWWINDOW;
        startupInfo.wShowWindow = own.wShowWindow;
    }

    // CreateProcessA may write into the command line, so it gets a copy of its own.
    std::vector<char> writableCommandLine(commandLine.begin(), commandLine.end());
    writableCommandLine.push_back('\0');

    StartedProcess process;
    process.started =
        ::CreateProcessA(applicationName.empty() ? nullptr : applicationName.c_str(),
                         writableCommandLine.data(), nullptr, nullptr, FALSE,
                         creationFlags, nullptr, nullptr, &startupInfo,
                         &process.info) != FALSE;
    return process;
}

uint64_t FileTime64(const FILETIME& time) {
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// Owns a handle whose release function was looked up at run time, as the libraries
// beyond the imported ones give theirs.
template <typename Handle, typename Release>
class RuntimeOwned {
public:
    RuntimeOwned(Handle handle, Release release) noexcept : handle_(handle), release_(release) {}
    ~RuntimeOwned() {
        if (handle_ != nullptr && release_ != nullptr) release_(handle_);
    }
    RuntimeOwned(const RuntimeOwned&) = delete;
    RuntimeOwned& operator=(const RuntimeOwned&) = delete;
    Handle Get() const noexcept { return handle_; }

private:
    Handle handle_;
    Release release_;
};

// The few run-time (WinRT) calls of combase.dll, declared here: the headers of the
// targeted Windows versions do not have them.
using Hstring = void*;
using WindowsCreateStringFunction = HRESULT(WINAPI*)(const wchar_t*, UINT32, Hstring*);
using WindowsDeleteStringFunction = HRESULT(WINAPI*)(Hstring);
using RoInitializeFunction = HRESULT(WINAPI*)(int);
using RoUninitializeFunction = void(WINAPI*)();
using RoGetActivationFactoryFunction = HRESULT(WINAPI*)(Hstring, const GUID&, void**);
constexpr int kRoInitSingleThreaded = 0;

// IWindowsProtectedPrintInfoStatics: IInspectable's six methods, then the property.
struct WindowsProtectedPrintInfoStatics;
struct WindowsProtectedPrintInfoStaticsTable {
    HRESULT(WINAPI* queryInterface)(WindowsProtectedPrintInfoStatics*, const GUID&, void**);
    ULONG(WINAPI* addRef)(WindowsProtectedPrintInfoStatics*);
    ULONG(WINAPI* release)(WindowsProtectedPrintInfoStatics*);
    void* getIids;
    void* getRuntimeClassName;
    void* getTrustLevel;
    HRESULT(WINAPI* getIsProtectedPrintEnabled)(WindowsProtectedPrintInfoStatics*, BYTE*);
};
struct WindowsProtectedPrintInfoStatics {
    const WindowsProtectedPrintInfoStaticsTable* table;
};
constexpr GUID kIidWindowsProtectedPrintInfoStatics = {
    0xa7d212f3, 0x4168, 0x5485, {0x98, 0xab, 0xd8, 0x9d, 0x04, 0x60, 0x3b, 0x40}};
constexpr wchar_t kWindowsProtectedPrintInfoClass[] =
    L"Windows.Graphics.Printing.ProtectedPrint.WindowsProtectedPrintInfo";

// Asks the run-time class with the thread's run-time state as it was: entered for the
// question and left again only when this call entered it.
bool AskProtectedPrintEnabled(bool& enabled) {
    const auto roInitialize = combase.Find<RoInitializeFunction>("RoInitialize");
    const auto roUninitialize = combase.Find<RoUninitializeFunction>("RoUninitialize");
    const auto createString =
        combase.Find<WindowsCreateStringFunction>("WindowsCreateString");
    const auto deleteString =
        combase.Find<WindowsDeleteStringFunction>("WindowsDeleteString");
    const auto getActivationFactory =
        combase.Find<RoGetActivationFactoryFunction>("RoGetActivationFactory");
    if (roInitialize == nullptr || roUninitialize == nullptr || createString == nullptr ||
        deleteString == nullptr || getActivationFactory == nullptr)
        return false;

    const HRESULT entered = roInitialize(kRoInitSingleThreaded);
    Hstring className = nullptr;
    HRESULT result = createString(kWindowsProtectedPrintInfoClass,
                                  static_cast<UINT32>(std::size(kWindowsProtectedPrintInfoClass) - 1),
                                  &className);
    if (SUCCEEDED(result)) {
        void* factory = nullptr;
        result = getActivationFactory(className, kIidWindowsProtectedPrintInfoStatics, &factory);
        if (SUCCEEDED(result) && factory == nullptr) result = E_POINTER;
        if (SUCCEEDED(result)) {
            auto* statics = static_cast<WindowsProtectedPrintInfoStatics*>(factory);
            BYTE answer = 0;
            result = statics->table->getIsProtectedPrintEnabled(statics, &answer);
            enabled = answer != 0;
            statics->table->release(statics);
        }
        deleteString(className);
    }
    // S_FALSE too: the thread was in the run-time already, and the count is ours to undo.
    if (SUCCEEDED(entered)) roUninitialize();
    ::SetLastError(SUCCEEDED(result) ? ERROR_SUCCESS : static_cast<DWORD>(result));
    return SUCCEEDED(result);
}

// Opens an existing file for reading, shared with every other access: a scanner or the
// spooler that holds the file, whatever it holds it for, neither keeps the read from
// happening nor is kept from its own work by it. Only a holder that shares no reading
// refuses the open (ERROR_SHARING_VIOLATION).
HANDLE OpenForReading(const std::string& path) {
    return ::CreateFileA(path.c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

// --- system information

bool Win32System::HasProcAddress(const std::string& module, const std::string& procName) {
    const HMODULE handle = ::GetModuleHandleA(module.c_str());
    return handle != nullptr && ::GetProcAddress(handle, procName.c_str()) != nullptr;
}

bool Win32System::IsWow64Process(int32_t& result) {
    // Windows XP before SP2 lacks the entry point, so the program must not import it.
    const auto isWow64Process = FindProc<decltype(&::IsWow64Process)>(
        ::GetModuleHandleA("kernel32"), "IsWow64Process");
    if (isWow64Process == nullptr) {
        ::SetLastError(ERROR_PROC_NOT_FOUND);
        return false;
    }
    BOOL wow64 = 0;
    const BOOL succeeded = isWow64Process(::GetCurrentProcess(), &wow64);
    result = wow64;
    return succeeded != FALSE;
}

uint16_t Win32System::GetSystemInfoProcessorArchitecture() {
    SYSTEM_INFO info{};
    ::GetSystemInfo(&info);
    return info.wProcessorArchitecture;
}

bool Win32System::GetVersionEx(OsVersion& version) {
    static_assert(sizeof(OSVERSIONINFOEXA) == 156, "the extended structure is 156 bytes");
    OSVERSIONINFOEXA info{};
    info.dwOSVersionInfoSize = sizeof(info);
    if (!::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info))) return false;
    version.majorVersion = info.dwMajorVersion;
    version.minorVersion = info.dwMinorVersion;
    version.platformId = info.dwPlatformId;
    version.productType = info.wProductType;
    return true;
}

int Win32System::GetSystemMetrics(int index) { return ::GetSystemMetrics(index); }

bool Win32System::GetCPInfo(uint32_t codePage, std::vector<LeadByteRange>& leadBytes) {
    leadBytes.clear();
    CPINFO info;
    if (!::GetCPInfo(codePage, &info)) return false;
    // Pairs up to the first one of zeros.
    for (int i = 0; i + 1 < MAX_LEADBYTES && info.LeadByte[i] != 0; i += 2)
        leadBytes.push_back(LeadByteRange{info.LeadByte[i], info.LeadByte[i + 1]});
    return true;
}

bool Win32System::IsWow64Process2(uint16_t& processMachine, uint16_t& nativeMachine) {
    // Windows 10 1511 and later only, so the program must not import it.
    using IsWow64Process2Function = BOOL(WINAPI*)(HANDLE, USHORT*, USHORT*);
    const auto isWow64Process2 =
        FindProc<IsWow64Process2Function>(::GetModuleHandleA("kernel32"), "IsWow64Process2");
    if (isWow64Process2 == nullptr) {
        ::SetLastError(ERROR_PROC_NOT_FOUND);
        return false;
    }
    USHORT process = 0;
    USHORT native = 0;
    if (!isWow64Process2(::GetCurrentProcess(), &process, &native)) return false;
    processMachine = process;
    nativeMachine = native;
    return true;
}

// --- the PC's state, read only

bool Win32System::QueryServiceStatus(const std::string& serviceName, uint32_t& currentState) {
    const auto openScManager =
        advapi32.Find<decltype(&::OpenSCManagerA)>("OpenSCManagerA");
    const auto openService = advapi32.Find<decltype(&::OpenServiceA)>("OpenServiceA");
    const auto queryServiceStatus =
        advapi32.Find<decltype(&::QueryServiceStatus)>("QueryServiceStatus");
    const auto closeServiceHandle =
        advapi32.Find<decltype(&::CloseServiceHandle)>("CloseServiceHandle");
    if (openScManager == nullptr || openService == nullptr || queryServiceStatus == nullptr ||
        closeServiceHandle == nullptr)
        return false;
    LastErrorKeeper keeper;
    const RuntimeOwned manager(openScManager(nullptr, nullptr, SC_MANAGER_CONNECT),
                               closeServiceHandle);
    if (manager.Get() == nullptr) {
        keeper.Capture();
        return false;
    }
    const RuntimeOwned service(
        openService(manager.Get(), serviceName.c_str(), SERVICE_QUERY_STATUS),
        closeServiceHandle);
    SERVICE_STATUS status{};
    const bool answered =
        service.Get() != nullptr && queryServiceStatus(service.Get(), &status) != FALSE;
    keeper.Capture();
    if (answered) currentState = status.dwCurrentState;
    return answered;
}

bool Win32System::IsProtectedPrintEnabled(bool& enabled) {
    return AskProtectedPrintEnabled(enabled);
}

bool Win32System::GetTokenInformationTokenElevation(bool& elevated) {
    const auto openProcessToken =
        advapi32.Find<decltype(&::OpenProcessToken)>("OpenProcessToken");
    const auto getTokenInformation =
        advapi32.Find<decltype(&::GetTokenInformation)>("GetTokenInformation");
    if (openProcessToken == nullptr || getTokenInformation == nullptr) return false;
    LastErrorKeeper keeper;
    HANDLE opened = nullptr;
    if (!openProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &opened)) return false;
    const ScopedHandle token(opened);
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    const bool answered = getTokenInformation(token.Get(), TokenElevation, &elevation,
                                              sizeof(elevation), &size) != FALSE;
    keeper.Capture();
    if (answered) elevated = elevation.TokenIsElevated != 0;
    return answered;
}

bool Win32System::CheckTokenMembershipAdministrators(bool& isMember) {
    const auto allocateSid =
        advapi32.Find<decltype(&::AllocateAndInitializeSid)>("AllocateAndInitializeSid");
    const auto freeSid = advapi32.Find<decltype(&::FreeSid)>("FreeSid");
    const auto checkTokenMembership =
        advapi32.Find<decltype(&::CheckTokenMembership)>("CheckTokenMembership");
    if (allocateSid == nullptr || freeSid == nullptr || checkTokenMembership == nullptr)
        return false;
    LastErrorKeeper keeper;
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    PSID created = nullptr;
    if (!allocateSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0,
                     0, 0, 0, 0, 0, &created))
        return false;
    const RuntimeOwned administrators(created, freeSid);
    BOOL member = FALSE;
    const bool answered = checkTokenMembership(nullptr, administrators.Get(), &member) != FALSE;
    keeper.Capture();
    if (answered) isMember = member != FALSE;
    return answered;
}

// --- errors and time

uint32_t Win32System::GetLastError() { return ::GetLastError(); }

void Win32System::SetLastError(uint32_t code) { ::SetLastError(code); }

std::string Win32System::FormatMessage(uint32_t code) {
    LastErrorKeeper keeper;
    // No arguments are passed: a system text with inserts ("%1") keeps them as they
    // stand rather than making the call fail.
    char* text = nullptr;
    const DWORD length = ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER |
                                              FORMAT_MESSAGE_FROM_SYSTEM |
                                              FORMAT_MESSAGE_IGNORE_INSERTS,
                                          nullptr, code, 0, reinterpret_cast<LPSTR>(&text), 0,
                                          nullptr);
    keeper.Capture();
    const ScopedLocalMemory owner(text);
    if (length == 0 || text == nullptr) return {};
    return std::string(text, length);
}

// The thread's windows keep answering the system while it pauses.
void Win32System::Sleep(uint32_t milliseconds) { SleepResponsively(milliseconds); }

// --- files

bool Win32System::PathFileExists(const std::string& path) {
    const auto pathFileExists =
        shlwapi.Find<decltype(&::PathFileExistsA)>("PathFileExistsA");
    return pathFileExists != nullptr && pathFileExists(path.c_str()) != FALSE;
}

bool Win32System::CreateDirectory(const std::string& path) {
    return ::CreateDirectoryA(path.c_str(), nullptr) != FALSE;
}

bool Win32System::CopyFile(const std::string& source, const std::string& target,
                           bool failIfExists) {
    return ::CopyFileA(source.c_str(), target.c_str(), failIfExists ? TRUE : FALSE) != FALSE;
}

bool Win32System::DeleteFile(const std::string& path) {
    return ::DeleteFileA(path.c_str()) != FALSE;
}

uint32_t Win32System::GetFileAttributes(const std::string& path) {
    return ::GetFileAttributesA(path.c_str());
}

bool Win32System::SetFileAttributes(const std::string& path, uint32_t attributes) {
    return ::SetFileAttributesA(path.c_str(), attributes) != FALSE;
}

bool Win32System::GetFileStamp(const std::string& path, FileStamp& stamp) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    stamp.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    stamp.lastWriteTime = FileTime64(data.ftLastWriteTime);
    stamp.creationTime = FileTime64(data.ftCreationTime);
    return true;
}

FileRead Win32System::ReadFile(const std::string& path, uint32_t maxBytes) {
    LastErrorKeeper keeper;
    FileRead result;
    const ScopedHandle file(OpenForReading(path));
    if (!file.IsValid()) return result;
    result.opened = true;
    try {
        result.bytes.resize(maxBytes);
    } catch (const std::bad_alloc&) {
        ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        keeper.Capture();
        return result;
    }

    DWORD bytesRead = 0;
    result.readOk = ::ReadFile(file.Get(), result.bytes.data(), maxBytes, &bytesRead,
                               nullptr) != FALSE;
    keeper.Capture();
    result.bytes.resize(result.readOk ? bytesRead : 0);
    return result;
}

bool Win32System::CanOpenForReading(const std::string& path) {
    return ScopedHandle(OpenForReading(path)).IsValid();
}

FileScan Win32System::ScanFile(const std::string& path, uint32_t chunkBytes,
                               const ChunkConsumer& consume) {
    LastErrorKeeper keeper;
    FileScan result;
    const ScopedHandle file(OpenForReading(path));
    if (!file.IsValid()) return result;
    result.opened = true;
    std::vector<char> chunk(chunkBytes);
    for (;;) {
        DWORD bytesRead = 0;
        if (!::ReadFile(file.Get(), chunk.data(), chunkBytes, &bytesRead, nullptr)) {
            keeper.Capture();
            return result;
        }
        // A disk file reads short only at its end.
        if (bytesRead == 0 || !consume(chunk.data(), bytesRead) || bytesRead < chunkBytes)
            break;
        // A file of hundreds of MB takes seconds: the windows must not seem hung.
        AnswerWindowsWhenDue();
    }
    result.readOk = true;
    return result;
}

bool Win32System::WriteFile(const std::string& path, const std::string& bytes) {
    LastErrorKeeper keeper;
    // CREATE_ALWAYS empties an existing file: no byte of a longer old content is left
    // behind the new one.
    const ScopedHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                          nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                          nullptr));
    if (!file.IsValid()) return false;
    DWORD written = 0;
    const bool wrote = ::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                                   &written, nullptr) != FALSE;
    // A disk file is written short only when the disk is full, which WriteFile reports
    // itself; a short count is a failure all the same.
    if (wrote && written != bytes.size()) ::SetLastError(ERROR_WRITE_FAULT);
    keeper.Capture();
    return wrote && written == bytes.size();
}

std::string Win32System::GetFullPathName(const std::string& path) {
    std::string fullPath;  // stays empty when the call fails
    FetchText(
        [&path](char* buffer, DWORD size) {
            return ::GetFullPathNameA(path.c_str(), size, buffer, nullptr);
        },
        fullPath);
    return fullPath;
}

bool Win32System::FindFirstFile(const std::string& pattern, std::vector<std::string>& names) {
    names.clear();
    // Declared before the search: closing it must not change the error the caller reads.
    LastErrorKeeper keeper;
    WIN32_FIND_DATAA entry{};
    const ScopedFind search(::FindFirstFileA(pattern.c_str(), &entry));
    // Nothing matches: the folder was searched all the same.
    if (!search.IsValid()) return ::GetLastError() == ERROR_FILE_NOT_FOUND;
    do {
        names.emplace_back(entry.cFileName);
    } while (::FindNextFileA(search.Get(), &entry));
    keeper.Capture();
    if (::GetLastError() == ERROR_NO_MORE_FILES) return true;
    names.clear();
    return false;
}

bool Win32System::GetWindowsDirectory(std::string& directory) {
    return FetchText(
        [](char* buffer, DWORD size) { return ::GetWindowsDirectoryA(buffer, size); },
        directory);
}

bool Win32System::GetSystemDirectory(std::string& directory) {
    return FetchText(
        [](char* buffer, DWORD size) { return ::GetSystemDirectoryA(buffer, size); },
        directory);
}

bool Win32System::GetSystemWindowsDirectory(std::string& directory) {
    return FetchText(
        [](char* buffer, DWORD size) { return ::GetSystemWindowsDirectoryA(buffer, size); },
        directory);
}

// --- print spooler

bool Win32System::GetPrinterDriverDirectory(const std::string& environment,
                                            std::string& directory) {
    const auto getPrinterDriverDirectory =
        winspool.Find<decltype(&::GetPrinterDriverDirectoryA)>("GetPrinterDriverDirectoryA");
    if (getPrinterDriverDirectory == nullptr) return false;
    constexpr int kRounds = 4;
    // The spooler takes the environment as a writable string that it does not change.
    std::string environmentName = environment;
    std::string buffer(MAX_PATH, '\0');
    for (int round = 0; round < kRounds; ++round) {
        DWORD needed = 0;
        if (getPrinterDriverDirectory(nullptr, &environmentName[0], 1,
                                      reinterpret_cast<LPBYTE>(&buffer[0]),
                                      static_cast<DWORD>(buffer.size()), &needed)) {
            directory = UpToTerminator(buffer);
            return true;
        }
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed <= buffer.size()) {
            return false;
        }
        buffer.assign(needed, '\0');
    }
    return false;
}

std::vector<std::string> Win32System::EnumPrinterDrivers() {
    const auto enumPrinterDrivers =
        winspool.Find<decltype(&::EnumPrinterDriversA)>("EnumPrinterDriversA");
    if (enumPrinterDrivers == nullptr) return {};
    LastErrorKeeper keeper;
    auto names = EnumerateNames<DRIVER_INFO_1A>(
        [enumPrinterDrivers](LPBYTE buffer, DWORD size, LPDWORD needed, LPDWORD returned) {
            return enumPrinterDrivers(nullptr, nullptr, 1, buffer, size, needed, returned);
        },
        &DRIVER_INFO_1A::pName);
    keeper.Capture();
    return names;
}

std::vector<std::string> Win32System::EnumPrinters() {
    const auto enumPrinters = winspool.Find<decltype(&::EnumPrintersA)>("EnumPrintersA");
    if (enumPrinters == nullptr) return {};
    LastErrorKeeper keeper;
    auto names = EnumerateNames<PRINTER_INFO_4A>(
        [enumPrinters](LPBYTE buffer, DWORD size, LPDWORD needed, LPDWORD returned) {
            return enumPrinters(PRINTER_ENUM_LOCAL, nullptr, 4, buffer, size, needed,
                                returned);
        },
        &PRINTER_INFO_4A::pPrinterName);
    keeper.Capture();
    return names;
}

namespace {
// EnumPrinterDriversA of one environment at a level, each entry handed to take.
template <typename Info, typename Result, typename Take>
bool EnumerateDriversIn(const std::string& environment, DWORD level, Take take,
                        std::vector<Result>& results) {
    results.clear();
    const auto enumPrinterDrivers =
        winspool.Find<decltype(&::EnumPrinterDriversA)>("EnumPrinterDriversA");
    if (enumPrinterDrivers == nullptr) return false;
    // The spooler takes a writable text, though it does not write into it.
    std::vector<char> environmentName(environment.begin(), environment.end());
    environmentName.push_back('\0');
    LastErrorKeeper keeper;
    const bool listed = EnumerateEntries<Info>(
        [&](LPBYTE buffer, DWORD size, LPDWORD needed, LPDWORD returned) {
            return enumPrinterDrivers(nullptr, environmentName.data(), level, buffer, size,
                                      needed, returned);
        },
        take, results);
    keeper.Capture();
    return listed;
}
}  // namespace

bool Win32System::EnumPrinterDriversIn(const std::string& environment,
                                       std::vector<std::string>& names) {
    return EnumerateDriversIn<DRIVER_INFO_1A>(
        environment, 1,
        [](const DRIVER_INFO_1A& entry, std::vector<std::string>& list) {
            if (entry.pName != nullptr) list.emplace_back(entry.pName);
        },
        names);
}

bool Win32System::EnumPrinterDriverVersions(const std::string& environment,
                                            std::vector<PrinterDriverVersion>& drivers) {
    return EnumerateDriversIn<DRIVER_INFO_6A>(
        environment, 6,
        [](const DRIVER_INFO_6A& entry, std::vector<PrinterDriverVersion>& list) {
            list.push_back({TextOf(entry.pName), entry.dwlDriverVersion});
        },
        drivers);
}

bool Win32System::EnumPrinterQueues(std::vector<PrinterQueue>& queues) {
    queues.clear();
    const auto enumPrinters = winspool.Find<decltype(&::EnumPrintersA)>("EnumPrintersA");
    if (enumPrinters == nullptr) return false;
    LastErrorKeeper keeper;
    const bool listed = EnumerateEntries<PRINTER_INFO_2A>(
        [enumPrinters](LPBYTE buffer, DWORD size, LPDWORD needed, LPDWORD returned) {
            return enumPrinters(PRINTER_ENUM_LOCAL, nullptr, 2, buffer, size, needed,
                                returned);
        },
        [](const PRINTER_INFO_2A& entry, std::vector<PrinterQueue>& list) {
            list.push_back({TextOf(entry.pPrinterName), TextOf(entry.pPortName),
                            TextOf(entry.pDriverName)});
        },
        queues);
    keeper.Capture();
    return listed;
}

// --- processes

bool Win32System::CreateProcess(const std::string& applicationName,
                                const std::string& commandLine) {
    LastErrorKeeper keeper;
    const StartedProcess process = StartProcess(applicationName, commandLine);
    keeper.Capture();
    // Declared in this order so that the thread handle is closed first.
    const ScopedHandle processHandle(process.info.hProcess);
    const ScopedHandle threadHandle(process.info.hThread);
    return process.started;
}

namespace {
// Starts the process and waits for it, at most the milliseconds given (INFINITE for no
// bound), then reads its exit code once it has ended. With a job, the process starts
// suspended and goes into the job before it runs, so that whatever it starts is in the
// job too; when it outlives the bound, it is ended. The last-error code is that of the
// call that decided the outcome.
ProcessExit StartAndWait(const std::string& applicationName, const std::string& commandLine,
                         DWORD milliseconds, Win32ChildJob* job) {
    LastErrorKeeper keeper;
    const StartedProcess process = StartProcess(
        applicationName, commandLine,
        job != nullptr ? NORMAL_PRIORITY_CLASS | CREATE_SUSPENDED : NORMAL_PRIORITY_CLASS);
    // Declared in this order so that the thread handle is closed first.
    const ScopedHandle processHandle(process.info.hProcess);
    const ScopedHandle threadHandle(process.info.hThread);
    ProcessExit result;
    result.started = process.started;
    if (!process.started) {
        keeper.Capture();
        return result;
    }
    if (job != nullptr) {
        // No breakaway is asked for (CREATE_BREAKAWAY_FROM_JOB): a deployment tool's job
        // that holds this run keeps its children in reach too.
        result.jobError = job->Assign(processHandle.Get());
        if (::ResumeThread(threadHandle.Get()) == static_cast<DWORD>(-1)) {
            // It would never run: ended at once, and told as a start that failed.
            keeper.Capture();
            ::TerminateProcess(processHandle.Get(), ERROR_PROCESS_ABORTED);
            result.started = false;
            return result;
        }
    }
    // An exit code read from a process that is not known to have ended could be
    // STILL_ACTIVE, so a failed wait leaves the code unknown.
    const DWORD waited = milliseconds == INFINITE
                             ? WaitResponsively(processHandle.Get())
                             : ::WaitForSingleObject(processHandle.Get(), milliseconds);
    result.timedOut = waited == WAIT_TIMEOUT;
    if (result.timedOut && job != nullptr) {
        result.ended = job->End(processHandle.Get(), result.jobError == ERROR_SUCCESS);
        keeper.Capture();
        return result;
    }
    DWORD exitCode = 0;
    result.exitCodeKnown = waited == WAIT_OBJECT_0 &&
                           ::GetExitCodeProcess(processHandle.Get(), &exitCode) != FALSE;
    keeper.Capture();
    if (result.exitCodeKnown) result.exitCode = exitCode;
    return result;
}
}  // namespace

ProcessExit Win32System::CreateProcessAndWait(const std::string& applicationName,
                                              const std::string& commandLine) {
    return StartAndWait(applicationName, commandLine, INFINITE, nullptr);
}

ProcessExit Win32System::CreateProcessAndWaitAtMost(const std::string& applicationName,
                                                    const std::string& commandLine,
                                                    uint32_t milliseconds) {
    return StartAndWait(applicationName, commandLine, milliseconds, &childJob_);
}

// --- device installation

bool Win32System::SetupCopyOEMInf(const std::string& sourceInfPath,
                                  std::string& destinationName,
                                  std::string& destinationFileName) {
    const auto setupCopyOemInf =
        setupapi.Find<decltype(&::SetupCopyOEMInfA)>("SetupCopyOEMInfA");
    if (setupCopyOemInf == nullptr) return false;
    LastErrorKeeper keeper;
    std::string buffer(MAX_PATH, '\0');
    DWORD requiredSize = 0;
    PSTR fileNamePart = nullptr;
    const auto copyInf = [&] {
        fileNamePart = nullptr;
        return setupCopyOemInf(sourceInfPath.c_str(), nullptr, SPOST_PATH, SP_COPY_NEWER,
                               &buffer[0], static_cast<DWORD>(buffer.size()), &requiredSize,
                               &fileNamePart) != FALSE;
    };
    bool staged = copyInf();
    if (!staged && ::GetLastError() == ERROR_INSUFFICIENT_BUFFER &&
        requiredSize > buffer.size()) {
        // Asked again with room for the name, the call reports the staged copy whether
        // or not the first call already made it: an identical INF already in the INF
        // directory is named, not copied twice.
        buffer.assign(requiredSize, '\0');
        staged = copyInf();
    }
    keeper.Capture();
    if (!staged) return false;

    destinationName = UpToTerminator(buffer);
    const char* const nameStart = buffer.data();
    const char* const nameEnd = nameStart + destinationName.size();
    if (fileNamePart != nullptr && fileNamePart >= nameStart && fileNamePart <= nameEnd) {
        destinationFileName = destinationName.substr(
            static_cast<size_t>(fileNamePart - nameStart));
    } else {
        const size_t lastBackslash = destinationName.find_last_of('\\');
        destinationFileName = lastBackslash == std::string::npos
                                  ? destinationName
                                  : destinationName.substr(lastBackslash + 1);
    }
    return true;
}

bool Win32System::SetupUninstallOEMInf(const std::string& infFileName, uint32_t flags) {
    const auto setupUninstallOemInf =
        setupapi.Find<decltype(&::SetupUninstallOEMInfA)>("SetupUninstallOEMInfA");
    return setupUninstallOemInf != nullptr &&
           setupUninstallOemInf(infFileName.c_str(), flags, nullptr) != FALSE;
}

bool Win32System::UpdateDriverForPlugAndPlayDevices(const std::string& hardwareId,
                                                    const std::string& fullInfPath,
                                                    uint32_t installFlags) {
    const auto updateDriver = newdev.Find<decltype(&::UpdateDriverForPlugAndPlayDevicesA)>(
        "UpdateDriverForPlugAndPlayDevicesA");
    return updateDriver != nullptr &&
           updateDriver(nullptr, hardwareId.c_str(), fullInfPath.c_str(), installFlags,
                        nullptr) != FALSE;
}

bool Win32System::DiInstallDriver(const std::string& fullInfPath) {
    const auto diInstallDriver =
        newdev.Find<decltype(&::DiInstallDriverA)>("DiInstallDriverA");
    return diInstallDriver != nullptr &&
           diInstallDriver(nullptr, fullInfPath.c_str(), 0, nullptr) != FALSE;
}

bool Win32System::SetupVerifyInfFile(const std::string& fullInfPath) {
    const auto verify = setupapi.Find<decltype(&::SetupVerifyInfFileA)>("SetupVerifyInfFileA");
    return verify != nullptr && verify(fullInfPath.c_str(), nullptr, nullptr) != FALSE;
}

// --- the run lock

RunLockState Win32System::TakeRunLock() { return runLock_.Take(); }

}  // namespace sys
