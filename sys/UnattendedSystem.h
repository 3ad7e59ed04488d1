#pragma once
// What the unattended installer asks of Windows beyond the install logic's seam: the
// time for its log lines, where its log goes and how it is written, its own folder and
// process id. Portable like System, with a Win32 implementation beside it and a
// fake in the unit tests.

#include <cstdint>
#include <string>

namespace sys {

// GetLocalTime's SYSTEMTIME, the fields a log line shows.
struct LocalTime {
    uint16_t year = 0;
    uint16_t month = 0;
    uint16_t day = 0;
    uint16_t hour = 0;
    uint16_t minute = 0;
    uint16_t second = 0;
    uint16_t milliseconds = 0;
};

// QueryServiceConfigA's dwStartType of a service that the service control manager starts
// at every boot (SERVICE_AUTO_START), a delayed automatic start included.
inline constexpr uint32_t kServiceAutoStart = 2;

// The code page of the program's own texts, on every system; the system's texts are in
// its ANSI code page (kCpAcp).
inline constexpr uint32_t kProgramCodePage = 936;

// What the log's path held when it was opened, seen on the opened handle.
enum class LogFileState {
    OwnFile,          // a regular file with one name, owned by this user, the
                      // Administrators or SYSTEM (or made by the open): the run's log
    Link,             // a reparse point: a symbolic link, a junction, a mount point
    MoreThanOneName,  // a file with further hard links
    OtherOwner,       // a file that another account owns
    NotAFile,         // a directory or a device
    Unusable,         // it could not be opened or looked at (no such folder, access
                      // denied, ...)
};

class UnattendedSystem {
public:
    virtual ~UnattendedSystem() = default;

    virtual LocalTime GetLocalTime() = 0;
    // GetCurrentDirectoryA; empty on failure.
    virtual std::string GetCurrentDirectory() = 0;
    // GetTempPathA: the directory with its closing backslash; false on failure.
    virtual bool GetTempPath(std::string& directory) = 0;
    // The run's log, opened once: CreateFileA(FILE_APPEND_DATA | READ_CONTROL,
    // FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_ALWAYS, FILE_FLAG_OPEN_REPARSE_POINT |
    // FILE_FLAG_BACKUP_SEMANTICS), so that a link is opened itself and never followed,
    // then on that handle GetFileInformationByHandle, GetFileType and the owner from
    // GetSecurityInfo. An OwnFile stays open as the log until this object ends, and
    // empty tells whether it holds no bytes yet; whatever else the path held is closed
    // at once, unchanged. A log opened before is closed first.
    virtual LogFileState OpenLog(const std::string& path, bool& empty) = 0;
    // WriteFile of the bytes at the end of the log that OpenLog kept, whatever has become
    // of its name since. False when none is open or the bytes were not written whole.
    virtual bool AppendLog(const std::string& bytes) = 0;
    // MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS) then WideCharToMultiByte(
    // CP_UTF8). False, with utf8 empty, when the text is not valid in that code page.
    virtual bool ToUtf8(uint32_t codePage, const std::string& text, std::string& utf8) = 0;
    virtual uint32_t GetCurrentProcessId() = 0;
    // GetModuleFileNameA(NULL): the program's own full path; empty on failure.
    virtual std::string GetModuleFileName() = 0;
    // SetCurrentDirectoryA.
    virtual bool SetCurrentDirectory(const std::string& directory) = 0;
    // The bytes to the process's standard output: the handle it was given, or else the
    // console of the process that started it (AttachConsole(ATTACH_PARENT_PROCESS)).
    // False when there is neither.
    virtual bool WriteStandardOutput(const std::string& bytes) = 0;

    // OpenSCManagerA(NULL, NULL, SC_MANAGER_CONNECT) + OpenServiceA(SERVICE_QUERY_CONFIG) +
    // QueryServiceConfigA: the service's dwStartType. ERROR_SUCCESS (0) or the system's
    // error code (ERROR_SERVICE_DOES_NOT_EXIST for a service that is not there).
    virtual uint32_t QueryServiceConfig(const std::string& serviceName,
                                        uint32_t& startType) = 0;

    // --- HKEY_LOCAL_MACHINE, in the 64-bit view on 64-bit Windows (KEY_WOW64_64KEY; a
    // 32-bit Windows has the one view). Each answers ERROR_SUCCESS (0) or the system's
    // error code.
    // RegCreateKeyExA(subKey, KEY_SET_VALUE) + RegSetValueExA(valueName, REG_SZ, text).
    virtual uint32_t RegSetValueEx(const std::string& subKey, const std::string& valueName,
                                   const std::string& text) = 0;
    // RegDeleteKeyExA (RegDeleteKeyA where the system lacks it: 32-bit Windows XP) of a
    // key without subkeys, its values with it. A key that is not there is no failure.
    virtual uint32_t RegDeleteKey(const std::string& subKey) = 0;
};

}  // namespace sys
