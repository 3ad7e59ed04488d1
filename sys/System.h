#pragma once
// The seam between the installer's logic and Windows. Every platform call that
// host/, package/ and setup/ make goes through here, so the logic can run natively
// against an in-memory fake. Text is ANSI (code page 936) in std::string; DWORDs are
// uint32_t. Each method stands for the Win32 call it is named after.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace sys {

// Win32 values the logic relies on, so that portable code needs no <windows.h>.
constexpr uint32_t kFileAttributeReadonly = 0x1;
constexpr uint32_t kFileAttributeNormal = 0x80;
constexpr uint32_t kInvalidFileAttributes = 0xFFFFFFFF;
constexpr uint16_t kProcessorArchitectureAmd64 = 9;
constexpr int kSmServerR2 = 89;
constexpr uint8_t kVerNtWorkstation = 1;
constexpr uint32_t kSuoiForceDelete = 1;
constexpr uint32_t kInstallFlagForce = 1;
constexpr uint32_t kCpAcp = 0;

constexpr uint32_t kErrorFileNotFound = 2;
constexpr uint32_t kErrorNoMoreItems = 259;
constexpr uint32_t kErrorInvalidFlags = 1004;
constexpr uint32_t kErrorNoSuchDevinst = 0xE000020B;
constexpr uint32_t kErrorInWow64 = 0xE0000235;
constexpr uint32_t kErrorInvalidParameter = 87;
constexpr uint32_t kErrorModNotFound = 126;
constexpr uint32_t kErrorProcNotFound = 127;
constexpr uint32_t kErrorServiceDoesNotExist = 1060;
constexpr uint32_t kRpcServerUnavailable = 1722;
// REGDB_E_CLASSNOTREG: the running Windows has no such run-time class.
constexpr uint32_t kClassNotRegistered = 0x80040154;

// SERVICE_STATUS.dwCurrentState values.
constexpr uint32_t kServiceStopped = 1;
constexpr uint32_t kServiceStartPending = 2;
constexpr uint32_t kServiceStopPending = 3;
constexpr uint32_t kServiceRunning = 4;
// IMAGE_FILE_MACHINE_* values that IsWow64Process2 reports.
constexpr uint16_t kImageFileMachineUnknown = 0;
constexpr uint16_t kImageFileMachineI386 = 0x014C;
constexpr uint16_t kImageFileMachineAmd64 = 0x8664;
constexpr uint16_t kImageFileMachineArm64 = 0xAA64;

// The fields of OSVERSIONINFOEXA that the classification reads.
struct OsVersion {
    uint32_t majorVersion = 0;
    uint32_t minorVersion = 0;
    uint32_t platformId = 0;
    uint8_t productType = 0;
};

// What one read of a file gave: CreateFileA + ReadFile.
struct FileRead {
    bool opened = false;     // the file could be opened for reading
    bool readOk = false;     // the read itself succeeded
    std::string bytes;       // what was read, at most the requested count
};

// What one pass over a file gave: CreateFileA + ReadFile in pieces.
struct FileScan {
    bool opened = false;  // the file could be opened for reading
    bool readOk = false;  // every read succeeded up to the end or to where the pass stopped
};

// Takes the next piece of a file; answers false when it needs no more.
using ChunkConsumer = std::function<bool(const char* bytes, std::size_t count)>;

// What tells one version of a file from another without reading it:
// GetFileAttributesExA's size, last write time and creation time. A copy keeps its
// source's write time, so a file replaced by a copy of the same size differs only in
// its creation time.
struct FileStamp {
    uint64_t size = 0;
    uint64_t lastWriteTime = 0;
    uint64_t creationTime = 0;
    bool operator==(const FileStamp& other) const {
        return size == other.size && lastWriteTime == other.lastWriteTime &&
               creationTime == other.creationTime;
    }
};

// One range of lead bytes of a double-byte code page, both ends included: a pair of
// CPINFO's LeadByte.
struct LeadByteRange {
    uint8_t first = 0;
    uint8_t last = 0;
};

// A started process that was waited for.
struct ProcessExit {
    bool started = false;        // CreateProcessA succeeded
    bool exitCodeKnown = false;  // GetExitCodeProcess succeeded
    uint32_t exitCode = 0;
    bool timedOut = false;       // still running when the bounded wait ended
    bool ended = false;          // timed out, then ended and gone (CreateProcessAndWaitAtMost)
    uint32_t jobError = 0;       // why it could not be put into the run's job; 0 when it
                                 // was, or for a wait without bound
};

// One local printer as EnumPrintersA level 2 describes it.
struct PrinterQueue {
    std::string printerName;  // pPrinterName
    std::string portName;     // pPortName
    std::string driverName;   // pDriverName
};

// One printer driver as EnumPrinterDriversA level 6 describes it.
struct PrinterDriverVersion {
    std::string name;            // pName
    uint64_t driverVersion = 0;  // dwlDriverVersion: a.b.c.d in 16 bits each, a highest;
                                 // 0 where the spooler keeps none
};

// What taking the run lock gave (TakeRunLock).
enum class RunLockState {
    Taken,             // this process holds it now, until it ends
    HeldByAnotherRun,  // another process holds it: a run of setup.exe or SilentSetup.exe
    Denied,            // it exists and this account may not open it: another account's
                       // run, or on Windows XP a name that a stranger made first
    Failed,            // it cannot be had at all (on Windows Vista and later: not an
                       // administrator with raised rights); GetLastError tells why
};

class System {
public:
    virtual ~System() = default;

    // --- system information
    // GetModuleHandleA + GetProcAddress: whether the module exports the entry point.
    virtual bool HasProcAddress(const std::string& module, const std::string& procName) = 0;
    // IsWow64Process(GetCurrentProcess(), &result); false when the call fails.
    virtual bool IsWow64Process(int32_t& result) = 0;
    // GetSystemInfo: wProcessorArchitecture.
    virtual uint16_t GetSystemInfoProcessorArchitecture() = 0;
    virtual bool GetVersionEx(OsVersion& version) = 0;
    virtual int GetSystemMetrics(int index) = 0;
    // GetCPInfo: the lead-byte ranges of the code page (none for a single-byte one);
    // false when the call fails.
    virtual bool GetCPInfo(uint32_t codePage, std::vector<LeadByteRange>& leadBytes) = 0;
    // IsWow64Process2(GetCurrentProcess(), ...): the process's machine
    // (kImageFileMachineUnknown when it is not under WOW64) and the native machine. Only
    // Windows 10 1511 and later have it: fails with ERROR_PROC_NOT_FOUND elsewhere.
    virtual bool IsWow64Process2(uint16_t& processMachine, uint16_t& nativeMachine) = 0;

    // --- the PC's state, read only
    // OpenSCManagerA(NULL, NULL, SC_MANAGER_CONNECT) + OpenServiceA(SERVICE_QUERY_STATUS)
    // + QueryServiceStatus: the service's dwCurrentState.
    virtual bool QueryServiceStatus(const std::string& serviceName,
                                    uint32_t& currentState) = 0;
    // The run-time class WindowsProtectedPrintInfo's IsProtectedPrintEnabled, through
    // RoGetActivationFactory. Windows before 11 24H2 has no such class: fails with
    // REGDB_E_CLASSNOTREG, or ERROR_MOD_NOT_FOUND / ERROR_PROC_NOT_FOUND before Windows 8.
    // On failure the last-error code holds the reason, an HRESULT where the call gave one.
    virtual bool IsProtectedPrintEnabled(bool& enabled) = 0;
    // OpenProcessToken(TOKEN_QUERY) + GetTokenInformation(TokenElevation). Windows before
    // Vista does not know the class: fails with ERROR_INVALID_PARAMETER.
    virtual bool GetTokenInformationTokenElevation(bool& elevated) = 0;
    // AllocateAndInitializeSid(BUILTIN\Administrators) + CheckTokenMembership(NULL, ...):
    // whether the thread's token counts the Administrators group.
    virtual bool CheckTokenMembershipAdministrators(bool& isMember) = 0;

    // --- errors and time
    virtual uint32_t GetLastError() = 0;
    virtual void SetLastError(uint32_t code) = 0;
    // FormatMessageA from the system table with language 0, inserts ignored (a "%1"
    // stays as it stands), + LocalFree; empty when the system has no text for the code.
    virtual std::string FormatMessage(uint32_t code) = 0;
    virtual void Sleep(uint32_t milliseconds) = 0;

    // --- files
    virtual bool PathFileExists(const std::string& path) = 0;
    virtual bool CreateDirectory(const std::string& path) = 0;
    virtual bool CopyFile(const std::string& source, const std::string& target,
                          bool failIfExists) = 0;
    virtual bool DeleteFile(const std::string& path) = 0;
    virtual uint32_t GetFileAttributes(const std::string& path) = 0;
    virtual bool SetFileAttributes(const std::string& path, uint32_t attributes) = 0;
    // GetFileAttributesExA of a file (not a directory); false when there is none.
    virtual bool GetFileStamp(const std::string& path, FileStamp& stamp) = 0;
    // Opens an existing file for reading (GENERIC_READ, shared with reading, writing and
    // deletion, OPEN_EXISTING), and reads at most maxBytes (at least 1) from its start.
    // A file that another process holds without sharing reading does not open (32).
    virtual FileRead ReadFile(const std::string& path, uint32_t maxBytes) = 0;
    // Opens an existing file for reading, shared as ReadFile does, and hands its bytes
    // from the start to consume in pieces of at most chunkBytes (at least 1), until the
    // file's end, a failed read, or consume answering false. Holds one piece at a time,
    // whatever the file's size. Throws std::bad_alloc when the piece's buffer cannot be had; whatever
    // consume throws passes on. The file is closed on every way out.
    virtual FileScan ScanFile(const std::string& path, uint32_t chunkBytes,
                              const ChunkConsumer& consume) = 0;
    // Opens an existing file as ScanFile does and closes it at once: whether it can be
    // opened for reading now.
    virtual bool CanOpenForReading(const std::string& path) = 0;
    // CreateFileA(GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL),
    // WriteFile of the bytes, CloseHandle: afterwards the file holds exactly the bytes.
    // False when it could not be opened (an existing one that is read-only, hidden or
    // system, or held by a process that shares no writing), or when WriteFile failed or
    // wrote fewer bytes: then the file, emptied, may hold a part of them.
    virtual bool WriteFile(const std::string& path, const std::string& bytes) = 0;
    // GetFullPathNameA; empty on failure.
    virtual std::string GetFullPathName(const std::string& path) = 0;
    // FindFirstFileA(pattern), FindNextFileA up to ERROR_NO_MORE_FILES, FindClose: the
    // names (without their folder) of the files and folders whose long or short name the
    // pattern matches, in the file system's order. A pattern that matches nothing lists
    // nothing and succeeds. False, with the last-error code set and nothing listed, when
    // the folder cannot be searched (ERROR_PATH_NOT_FOUND for one that is not there).
    virtual bool FindFirstFile(const std::string& pattern, std::vector<std::string>& names) = 0;
    // GetWindowsDirectoryA / GetSystemDirectoryA; false on failure.
    virtual bool GetWindowsDirectory(std::string& directory) = 0;
    virtual bool GetSystemDirectory(std::string& directory) = 0;
    // GetSystemWindowsDirectoryA: the system's own Windows folder, where its INF folder
    // is. In a Remote Desktop session GetWindowsDirectoryA answers a folder of the user's
    // own to a program not marked terminal-server aware. False on failure.
    virtual bool GetSystemWindowsDirectory(std::string& directory) = 0;

    // --- print spooler
    // GetPrinterDriverDirectoryA(NULL, environment, 1, ...); false on failure.
    virtual bool GetPrinterDriverDirectory(const std::string& environment,
                                           std::string& directory) = 0;
    // EnumPrinterDriversA(NULL, NULL, 1, ...): the driver names in spooler order; empty
    // when nothing is listed or either call fails.
    virtual std::vector<std::string> EnumPrinterDrivers() = 0;
    // EnumPrintersA(PRINTER_ENUM_LOCAL, NULL, 4, ...): the printer names.
    virtual std::vector<std::string> EnumPrinters() = 0;
    // EnumPrinterDriversA(NULL, environment, 1, ...): the driver names of that
    // environment ("Windows NT x86", "Windows x64"). False, with the last-error code
    // set and nothing listed, when the spooler could not be asked.
    virtual bool EnumPrinterDriversIn(const std::string& environment,
                                      std::vector<std::string>& names) = 0;
    // EnumPrinterDriversA(NULL, environment, 6, ...): each driver of that environment with
    // the version that the spooler keeps for it, which for a driver installed from an INF
    // is the INF's DriverVer. False as above.
    virtual bool EnumPrinterDriverVersions(const std::string& environment,
                                           std::vector<PrinterDriverVersion>& drivers) = 0;
    // EnumPrintersA(PRINTER_ENUM_LOCAL, NULL, 2, ...): each printer with its port and
    // driver. False as above.
    virtual bool EnumPrinterQueues(std::vector<PrinterQueue>& queues) = 0;

    // --- processes
    // CreateProcessA(applicationName or NULL when empty, writable copy of commandLine,
    // no inheritance, NORMAL_PRIORITY_CLASS); both handles closed at once. False when the
    // process did not start. The child gets a clean start-up record: of the parent's
    // (GetStartupInfoA) only the show-window fields, never its standard handles or the
    // C runtime's handle table, which a deployment agent's redirection would pass on as
    // handle values that the child never inherited.
    virtual bool CreateProcess(const std::string& applicationName,
                               const std::string& commandLine) = 0;
    // The same start, then WaitForSingleObject(INFINITE) and GetExitCodeProcess.
    virtual ProcessExit CreateProcessAndWait(const std::string& applicationName,
                                             const std::string& commandLine) = 0;
    // The same start, but suspended until the process is in the run's job (a job object
    // that ends every process in it when the run ends: KILL_ON_JOB_CLOSE), then
    // WaitForSingleObject(milliseconds) and GetExitCodeProcess. A process still running
    // then is ended with every process in the job (TerminateJobObject) and waited for
    // until it has gone: timedOut and ended, exit code unknown. One that could not be put
    // into the job (jobError) runs all the same, within the same bound, and is ended alone
    // (TerminateProcess). For a thread without windows: nothing is answered while it
    // waits.
    virtual ProcessExit CreateProcessAndWaitAtMost(const std::string& applicationName,
                                                   const std::string& commandLine,
                                                   uint32_t milliseconds) = 0;

    // --- device installation
    // SetupCopyOEMInfA(SPOST_PATH, SP_COPY_NEWER); destinationName gets the full path of
    // the staged copy, destinationFileName its file-name part.
    virtual bool SetupCopyOEMInf(const std::string& sourceInfPath,
                                 std::string& destinationName,
                                 std::string& destinationFileName) = 0;
    virtual bool SetupUninstallOEMInf(const std::string& infFileName, uint32_t flags) = 0;
    virtual bool UpdateDriverForPlugAndPlayDevices(const std::string& hardwareId,
                                                   const std::string& fullInfPath,
                                                   uint32_t installFlags) = 0;
    // DiInstallDriverA(NULL, infPath, 0, NULL): stage the package in the driver store.
    virtual bool DiInstallDriver(const std::string& fullInfPath) = 0;
    // SetupVerifyInfFileA(infPath, NULL, NULL): whether the catalog that the INF names
    // signs it for this PC, asked without installing anything. A package signed with
    // Authenticode fails either way, with ERROR_AUTHENTICODE_TRUSTED_PUBLISHER when this
    // PC trusts its publisher. Looked up at run time: where setupapi lacks it (Wine) the
    // call fails with ERROR_PROC_NOT_FOUND.
    virtual bool SetupVerifyInfFile(const std::string& fullInfPath) = 0;

    // --- the run lock
    // Takes the one lock of an install run, shared by setup.exe and SilentSetup.exe and
    // seen from every session and desktop; once Taken it is held until the process ends.
    virtual RunLockState TakeRunLock() = 0;
};

}  // namespace sys
