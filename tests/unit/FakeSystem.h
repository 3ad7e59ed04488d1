#pragma once
// An in-memory Windows for the unit tests: files with case-insensitive paths and
// attributes, spooler lists, a process table that records command lines, set-up API
// results and the thread's last-error code. Every call is logged in order.

#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "sys/System.h"
#include "sys/UnattendedSystem.h"

namespace fake {

// QueryServiceConfigA's dwStartType values beside sys::kServiceAutoStart, which the
// program never waits for.
constexpr uint32_t kServiceDemandStart = 3;
constexpr uint32_t kServiceDisabled = 4;

struct StartedProcess {
    std::string applicationName;
    std::string commandLine;
    bool waited = false;
    uint32_t bound = 0;  // the milliseconds of a bounded wait; 0 for none
    bool inJob = false;  // put into the run's job before it ran
    bool ended = false;  // ended after it outlived its bound
};

class FakeSystem : public sys::System {
public:
    FakeSystem();

    // --- the machine's state, set up by a test
    bool hasIsWow64Process = true;
    bool isWow64ProcessFails = false;
    int32_t wow64 = 0;
    uint16_t processorArchitecture = 0;
    bool versionQueryFails = false;
    sys::OsVersion version{5, 1, 2, 1};
    int serverR2Metric = 0;

    std::string currentDirectory = "C:\\pkg";
    std::string windowsDirectory = "C:\\WINDOWS";  // the system's own
    // GetWindowsDirectory's answer in a Remote Desktop session, a folder of the user's;
    // empty: the system's own.
    std::string sessionWindowsDirectory;
    std::string systemDirectory = "C:\\WINDOWS\\system32";
    bool windowsDirectoryFails = false;
    std::map<std::string, std::string> printerDriverDirectories;  // by environment
    bool printerDriverDirectoryFails = false;

    std::vector<std::string> drivers;   // as EnumPrinterDriversA lists them: the
                                        // process's own environment, "Windows NT x86"
    std::vector<std::string> drivers64; // in the environment "Windows x64"
    // The version that the spooler keeps for each driver above, by name (drivers64's in
    // driverVersions64); a driver without an entry has none (0), as one added without
    // an INF.
    std::map<std::string, uint64_t> driverVersions;
    std::map<std::string, uint64_t> driverVersions64;
    std::vector<std::string> printers;  // as EnumPrintersA lists them
    // The port and driver of a printer in the list above, for EnumPrintersA level 2;
    // a printer without an entry shows neither.
    std::map<std::string, sys::PrinterQueue> printerDetails;
    bool spoolerDown = false;  // the level-2 and environment listings fail (RPC 1722)

    // The PC's state that the checks before an install read.
    // Services by name, with their dwCurrentState; others do not exist.
    std::map<std::string, uint32_t> services{{"Spooler", sys::kServiceRunning}};
    // Their dwStartType, as QueryServiceConfig tells it (FakeUnattendedSystem): the
    // spooler starts automatically, as Windows sets it up.
    std::map<std::string, uint32_t> serviceStartTypes{{"Spooler", sys::kServiceAutoStart}};
    // A REG_DWORD value under HKEY_LOCAL_MACHINE, as a policy writes one; key and value
    // names in any case. The installer reads none: a test sets one to show that it sways
    // nothing.
    void SetRegistryDword(const std::string& subKey, const std::string& valueName,
                          uint32_t data);
    bool hasIsWow64Process2 = true;  // kernel32 exports it (Windows 10 1511 on)
    // The native machine; 0 stands for what wow64 says: AMD64 under WOW64, else I386.
    uint16_t nativeMachine = 0;
    // How the protected-print run-time class answers: 0 when it is registered, else the
    // reason it cannot be asked (REGDB_E_CLASSNOTREG before Windows 11 24H2).
    uint32_t protectedPrintInfoError = sys::kClassNotRegistered;
    bool protectedPrintEnabled = false;
    bool knowsTokenElevation = true;  // Vista and later
    bool tokenElevated = true;
    bool administratorsMember = true;
    // The spooler service stopped, as Windows then is: every spooler call fails.
    void StopSpooler();
    // The spooler stopped now, and starting (start pending) until the fake has slept the
    // milliseconds given; then it runs and answers.
    void StartSpoolerAfter(uint32_t milliseconds);

    // Messages the system has a text for; others format to "" and fail with
    // ERROR_MR_MID_NOT_FOUND (317), as FormatMessageA does.
    std::map<uint32_t, std::string> messageTexts;

    // Processes: a command line for which this answers true fails to start.
    std::function<bool(const std::string& commandLine)> processStartFails;
    // Exit code of waited processes; unset means GetExitCodeProcess fails.
    bool exitCodeKnown = true;
    uint32_t exitCode = 0;
    // Run when a process starts, e.g. to change the spooler like a real command would.
    std::function<void(const std::string& commandLine)> onProcessStart;
    // A command line for which this answers true starts but never ends: a bounded wait
    // for it times out, and its work (onProcessStart) is not done.
    std::function<bool(const std::string& commandLine)> processNeverEnds;
    // The run's job: AssignProcessToJobObject fails with this (ERROR_ACCESS_DENIED before
    // Windows 8, for a run that a job without breakaway holds); 0 puts each process in.
    uint32_t jobAssignError = 0;
    // Ending a process that outlived its bound fails with this; 0 ends it.
    uint32_t endProcessError = 0;

    // Set-up API.
    bool copyOemInfFails = false;
    uint32_t copyOemInfError = sys::kErrorFileNotFound;
    std::string stagedInfName = "oem7.inf";
    std::set<std::string> uninstallFails;   // INF file names whose uninstall fails
    uint32_t updateDriverError = 0;          // 0 = success
    // Run after an update that succeeded, e.g. to make the queue that Windows makes.
    std::function<void()> onDriverUpdated;
    bool hasDiInstallDriver = true;          // newdev.dll exports DiInstallDriverA
    // What SetupVerifyInfFileA answers for an INF that is there: 0 for TRUE, else the
    // error it fails with (ERROR_PROC_NOT_FOUND where setupapi lacks it).
    uint32_t verifyInfError = 0;
    uint32_t diInstallDriverError = 0;       // 0: the pre-install succeeds

    // The run lock, as the real one answers: another run's holds it (183
    // ERROR_ALREADY_EXISTS), another account's run or a stranger made it (5
    // ERROR_ACCESS_DENIED), or it cannot be had with runLockError. Once taken it is this
    // machine's program's until the test ends, and taking it again answers Taken.
    enum class RunLockHolder { Nobody, AnotherRun, AnotherAccount };
    RunLockHolder runLockHolder = RunLockHolder::Nobody;
    uint32_t runLockError = 0;  // nonzero: TakeRunLock fails with it
    bool runLockTaken = false;

    // Files and directories (paths as the program passes them).
    void AddFile(const std::string& path, const std::string& bytes = "data",
                 uint32_t attributes = sys::kFileAttributeNormal);
    void AddDirectory(const std::string& path);
    bool FileExists(const std::string& path) const;
    bool DirectoryExists(const std::string& path) const;
    std::string FileBytes(const std::string& path) const;
    uint32_t FileAttributes(const std::string& path) const;
    void RemoveFile(const std::string& path);
    // The file's last write time, which a test may set (a copy keeps its source's).
    uint64_t LastWriteTime(const std::string& path) const;
    void SetLastWriteTime(const std::string& path, uint64_t time);
    std::set<std::string> failCopyTo;        // targets whose copy fails
    uint32_t failCopyError = 5;              // ERROR_ACCESS_DENIED
    std::set<std::string> failReadOf;        // files that open but fail to read
    // Files another process holds open for reading, sharing reading alone (the spooler,
    // a scanner): they can be read, but neither deleted nor written, nor copied over.
    std::set<std::string> inUse;
    // Files another process holds open sharing nothing (a virus scanner at work): no
    // open of them succeeds, reads included (32).
    std::set<std::string> heldExclusively;
    uint32_t ansiCodePage = 936;  // what GetCPInfo(CP_ACP) describes
    // Files another process holds open sharing reading and writing but not deletion:
    // they can be read and written, not deleted.
    std::set<std::string> heldAgainstDeletion;
    // Files whose data cannot be written (ERROR_DISK_FULL): WriteFile opens and empties
    // them, then fails.
    std::set<std::string> diskFullFor;
    bool createDirectoryFails = false;

    // Fault injection: the method of this name fails at its call number failOccurrence
    // (counted from 0), or at every call when failOccurrence is -1.
    std::string failMethod;
    int failOccurrence = -1;
    // When set, the injected failure is this exception, thrown by the method.
    std::exception_ptr failThrows;
    static constexpr uint32_t kInjectedError = 1117;  // ERROR_IO_DEVICE

    // --- what happened
    std::vector<std::string> calls;              // every call, in order, one line each
    std::vector<size_t> injectedAt;              // indices in calls of the failed ones
    std::vector<StartedProcess> processes;       // started processes, in order
    std::vector<std::string> uninstalled;        // SetupUninstallOEMInf names, in order
    std::vector<std::string> updateDriverCalls;  // "hwid|inf|flags"
    uint32_t sleptMilliseconds = 0;
    uint32_t lastError = 0;

    // Calls whose line starts with prefix.
    std::vector<std::string> CallsStartingWith(const std::string& prefix) const;

    // --- sys::System
    bool HasProcAddress(const std::string& module, const std::string& procName) override;
    bool IsWow64Process(int32_t& result) override;
    uint16_t GetSystemInfoProcessorArchitecture() override;
    bool GetVersionEx(sys::OsVersion& version) override;
    int GetSystemMetrics(int index) override;
    bool GetCPInfo(uint32_t codePage, std::vector<sys::LeadByteRange>& leadBytes) override;
    bool IsWow64Process2(uint16_t& processMachine, uint16_t& nativeMachine) override;
    bool QueryServiceStatus(const std::string& serviceName, uint32_t& currentState) override;
    bool IsProtectedPrintEnabled(bool& enabled) override;
    bool GetTokenInformationTokenElevation(bool& elevated) override;
    bool CheckTokenMembershipAdministrators(bool& isMember) override;
    uint32_t GetLastError() override;
    void SetLastError(uint32_t code) override;
    std::string FormatMessage(uint32_t code) override;
    void Sleep(uint32_t milliseconds) override;
    bool PathFileExists(const std::string& path) override;
    bool CreateDirectory(const std::string& path) override;
    bool CopyFile(const std::string& source, const std::string& target,
                  bool failIfExists) override;
    bool DeleteFile(const std::string& path) override;
    uint32_t GetFileAttributes(const std::string& path) override;
    bool SetFileAttributes(const std::string& path, uint32_t attributes) override;
    bool GetFileStamp(const std::string& path, sys::FileStamp& stamp) override;
    sys::FileRead ReadFile(const std::string& path, uint32_t maxBytes) override;
    bool CanOpenForReading(const std::string& path) override;
    sys::FileScan ScanFile(const std::string& path, uint32_t chunkBytes,
                           const sys::ChunkConsumer& consume) override;
    bool WriteFile(const std::string& path, const std::string& bytes) override;
    std::string GetFullPathName(const std::string& path) override;
    bool FindFirstFile(const std::string& pattern, std::vector<std::string>& names) override;
    bool GetWindowsDirectory(std::string& directory) override;
    bool GetSystemDirectory(std::string& directory) override;
    bool GetSystemWindowsDirectory(std::string& directory) override;
    bool GetPrinterDriverDirectory(const std::string& environment,
                                   std::string& directory) override;
    std::vector<std::string> EnumPrinterDrivers() override;
    std::vector<std::string> EnumPrinters() override;
    bool EnumPrinterDriversIn(const std::string& environment,
                              std::vector<std::string>& names) override;
    bool EnumPrinterDriverVersions(const std::string& environment,
                                   std::vector<sys::PrinterDriverVersion>& drivers) override;
    bool EnumPrinterQueues(std::vector<sys::PrinterQueue>& queues) override;
    bool CreateProcess(const std::string& applicationName,
                       const std::string& commandLine) override;
    sys::ProcessExit CreateProcessAndWait(const std::string& applicationName,
                                          const std::string& commandLine) override;
    sys::ProcessExit CreateProcessAndWaitAtMost(const std::string& applicationName,
                                                const std::string& commandLine,
                                                uint32_t milliseconds) override;
    bool SetupCopyOEMInf(const std::string& sourceInfPath, std::string& destinationName,
                         std::string& destinationFileName) override;
    bool SetupUninstallOEMInf(const std::string& infFileName, uint32_t flags) override;
    bool UpdateDriverForPlugAndPlayDevices(const std::string& hardwareId,
                                           const std::string& fullInfPath,
                                           uint32_t installFlags) override;
    bool DiInstallDriver(const std::string& fullInfPath) override;
    bool SetupVerifyInfFile(const std::string& fullInfPath) override;
    sys::RunLockState TakeRunLock() override;

    // The key under which a path is stored: absolute, lower case, single backslashes.
    std::string Key(const std::string& path) const;

    // One file, which each of its names (hard links) and each open handle share.
    struct File {
        std::string bytes;
        uint32_t attributes;
        uint64_t version = 0;  // stands for the last write time: bumped by every write
        uint64_t created = 0;  // creation time: set when the file is made
        std::string owner;       // another account's name; empty: this account's own
        std::string linkTarget;  // a symbolic link or junction to this path; empty: none
    };
    // A second name for an existing file (CreateHardLinkA): one file, two names.
    void AddHardLink(const std::string& path, const std::string& existingPath);
    // A symbolic link or junction (a reparse point) at path that points to target.
    void AddLink(const std::string& path, const std::string& target);
    // Gives an existing file to another account.
    void SetOwner(const std::string& path, const std::string& owner);
    // The file that the name stands for now, as a handle opened on it holds it, whatever
    // later becomes of the name; null when there is none.
    std::shared_ptr<File> OpenFileObject(const std::string& path);
    // A new, empty file of this account's at path, held the same way.
    std::shared_ptr<File> CreateFileObject(const std::string& path);
    // How many names the file has.
    std::size_t NameCount(const std::shared_ptr<File>& file) const;

private:
    uint64_t writes_ = 0;
    std::map<std::string, std::shared_ptr<File>> files_;
    std::map<std::string, uint32_t> registryDwords_;  // by "<key>\\<value>", lower case
    std::set<std::string> directories_;
    bool Fail(uint32_t code);
    bool Injected(const char* method);
    std::map<std::string, int> occurrences_;
    bool ParentExists(const std::string& key) const;
    // When the spooler that StartSpoolerAfter starts runs: the milliseconds slept by then.
    uint32_t spoolerRunsAt_ = 0;
    bool spoolerStarting_ = false;
    // The bytes a read of the file gets; null, with the last error set, when it does not
    // open (opened stays false) or cannot be read.
    const std::string* BytesToRead(const std::string& path, bool& opened);
    uint32_t NotFoundError(const std::string& key) const;
    // Held so that it cannot be written (nor copied over), or not deleted.
    bool InUse(const std::string& path, const std::string& key) const;
    bool Undeletable(const std::string& path, const std::string& key) const;
    static bool Held(const std::set<std::string>& files, const std::string& path,
                     const std::string& key);
    bool StartProcess(const std::string& applicationName, const std::string& commandLine,
                      bool waited, uint32_t bound = 0);
};

}  // namespace fake
