#pragma once
// What the unattended installer asks of Windows beyond the install logic's seam: the
// time for its log lines, where its log goes and how it is written, and whether another
// installation runs. Portable like System, with a Win32 implementation beside it and a
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

// The code page of the program's own texts, on every system; the system's texts are in
// its ANSI code page (kCpAcp).
inline constexpr uint32_t kProgramCodePage = 936;

enum class MutexState {
    Created,        // this process holds the mutex now, until it ends
    AlreadyExists,  // another process holds it (ERROR_ALREADY_EXISTS)
    Denied,         // it exists but belongs to another user (ERROR_ACCESS_DENIED)
    Failed,         // any other failure
};

class UnattendedSystem {
public:
    virtual ~UnattendedSystem() = default;

    virtual LocalTime GetLocalTime() = 0;
    // GetCurrentDirectoryA; empty on failure.
    virtual std::string GetCurrentDirectory() = 0;
    // GetTempPathA: the directory with its closing backslash; false on failure.
    virtual bool GetTempPath(std::string& directory) = 0;
    // CreateFileA(FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_ALWAYS) and
    // WriteFile of the bytes at the file's end. False when the bytes were not written
    // whole.
    virtual bool AppendFile(const std::string& path, const std::string& bytes) = 0;
    // MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS) then WideCharToMultiByte(
    // CP_UTF8). False, with utf8 empty, when the text is not valid in that code page.
    virtual bool ToUtf8(uint32_t codePage, const std::string& text, std::string& utf8) = 0;
    // FindWindowA(className, windowName): whether such a top-level window exists.
    virtual bool FindWindow(const std::string& className, const std::string& windowName) = 0;
    // CreateMutexA(NULL, FALSE, name); a created mutex is held until the process ends.
    virtual MutexState CreateMutex(const std::string& name) = 0;
    // The bytes to the process's standard output: the handle it was given, or else the
    // console of the process that started it (AttachConsole(ATTACH_PARENT_PROCESS)).
    // False when there is neither.
    virtual bool WriteStandardOutput(const std::string& bytes) = 0;

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
