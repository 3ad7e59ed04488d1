#include "sys/Win32UnattendedSystem.h"

#include <algorithm>
#include <vector>

#include "sys/ScopedWin32.h"
#include "sys/SecurityIdentity.h"
#include "sys/SystemLibrary.h"
#include "sys/WindowsApi.h"

namespace sys {

namespace {

// Not imported, as every library beyond the four that each Windows maps from its system
// directory (SystemLibrary.h).
SystemLibrary advapi32("advapi32.dll");

// The machine's own view of the key on 64-bit Windows, whatever the bitness of the
// program that asks; ignored by 32-bit Windows.
constexpr REGSAM kNativeView = KEY_WOW64_64KEY;

uint32_t MissingEntryPoint() {
    const DWORD error = ::GetLastError();
    return error != ERROR_SUCCESS ? error : static_cast<DWORD>(ERROR_PROC_NOT_FOUND);
}
// The longest path that the system's wide calls take; no ANSI name is longer.
constexpr size_t kLongestPath = 32768;

bool WriteWhole(HANDLE handle, const std::string& bytes) {
    DWORD written = 0;
    return ::WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                       nullptr) != FALSE &&
           written == bytes.size();
}
}  // namespace

LocalTime Win32UnattendedSystem::GetLocalTime() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond,
            now.wMilliseconds};
}

std::string Win32UnattendedSystem::GetCurrentDirectory() {
    const DWORD size = ::GetCurrentDirectoryA(0, nullptr);
    if (size == 0) return {};
    std::string buffer(size, '\0');
    const DWORD length = ::GetCurrentDirectoryA(size, &buffer[0]);
    if (length == 0 || length >= size) return {};
    buffer.resize(length);
    return buffer;
}

bool Win32UnattendedSystem::GetTempPath(std::string& directory) {
    std::string buffer(MAX_PATH + 1, '\0');
    const DWORD length = ::GetTempPathA(static_cast<DWORD>(buffer.size()), &buffer[0]);
    // A longer answer than MAX_PATH + 1 is a size request; the documented limit makes
    // it a failure in practice.
    if (length == 0 || length >= buffer.size()) return false;
    buffer.resize(length);
    directory = buffer;
    return true;
}

bool Win32UnattendedSystem::ToUtf8(uint32_t codePage, const std::string& text,
                                   std::string& utf8) {
    utf8.clear();
    if (text.empty()) return true;
    const int size = static_cast<int>(text.size());
    const int wideLength =
        ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
    if (wideLength <= 0) return false;
    std::wstring wide(static_cast<size_t>(wideLength), L'\0');
    if (::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), size, &wide[0],
                              wideLength) != wideLength)
        return false;
    const int length =
        ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return false;
    std::string converted(static_cast<size_t>(length), '\0');
    if (::WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, &converted[0], length,
                              nullptr, nullptr) != length)
        return false;
    utf8 = std::move(converted);
    return true;
}

Win32UnattendedSystem::~Win32UnattendedSystem() { CloseLog(); }

void Win32UnattendedSystem::CloseLog() {
    if (log_ != nullptr) ::CloseHandle(log_);
    log_ = nullptr;
}

namespace {

// What the opened handle stands for. Only this handle's file is judged: a name that
// changes after the open changes nothing for it.
LogFileState Judge(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION information{};
    if (!::GetFileInformationByHandle(file, &information)) return LogFileState::Unusable;
    if ((information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        return LogFileState::Link;
    if ((information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ||
        ::GetFileType(file) != FILE_TYPE_DISK)
        return LogFileState::NotAFile;
    // A hard link is no reparse point: only its count of names tells it.
    if (information.nNumberOfLinks != 1) return LogFileState::MoreThanOneName;
    return OwnedByThisUserAdministratorsOrSystem(file) ? LogFileState::OwnFile
                                                       : LogFileState::OtherOwner;
}

}  // namespace

LogFileState Win32UnattendedSystem::OpenLog(const std::string& path, bool& empty) {
    CloseLog();
    // Appending only, never truncating; shared for reading and writing so that a person
    // may read the log while the run writes it, never for deletion, so that its name
    // cannot be moved or deleted while the run holds it. Backup semantics let a
    // directory open too, so that it is told apart.
    const HANDLE opened = ::CreateFileA(
        path.c_str(), FILE_APPEND_DATA | READ_CONTROL, FILE_SHARE_READ | FILE_SHARE_WRITE,
        nullptr, OPEN_ALWAYS,
        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS,
        nullptr);
    if (opened == INVALID_HANDLE_VALUE) return LogFileState::Unusable;
    ScopedHandle file(opened);
    const LogFileState state = Judge(opened);
    if (state != LogFileState::OwnFile) return state;
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(opened, &size)) return LogFileState::Unusable;
    empty = size.QuadPart == 0;
    log_ = file.Detach();
    return state;
}

bool Win32UnattendedSystem::AppendLog(const std::string& bytes) {
    if (log_ == nullptr) {
        ::SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    return WriteWhole(log_, bytes);
}

uint32_t Win32UnattendedSystem::GetCurrentProcessId() { return ::GetCurrentProcessId(); }

std::string Win32UnattendedSystem::GetModuleFileName() {
    // The call cuts the name to the buffer and answers its size when it did not fit.
    std::string buffer(MAX_PATH, '\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameA(nullptr, &buffer[0], static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        if (buffer.size() >= kLongestPath) return {};
        buffer.resize(buffer.size() * 2);
    }
}

bool Win32UnattendedSystem::SetCurrentDirectory(const std::string& directory) {
    return ::SetCurrentDirectoryA(directory.c_str()) != FALSE;
}

bool Win32UnattendedSystem::WriteStandardOutput(const std::string& bytes) {
    HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
    if (output == nullptr || output == INVALID_HANDLE_VALUE) {
        // A GUI program has no console of its own; a command prompt that started it
        // lends its own.
        if (!::AttachConsole(ATTACH_PARENT_PROCESS)) return false;
        output = ::CreateFileA("CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
        const ScopedHandle console(output);
        return console.IsValid() && WriteWhole(console.Get(), bytes);
    }
    return WriteWhole(output, bytes);
}

uint32_t Win32UnattendedSystem::QueryServiceConfig(const std::string& serviceName,
                                                  uint32_t& startType) {
    const auto openScManager = advapi32.Find<decltype(&::OpenSCManagerA)>("OpenSCManagerA");
    const auto openService = advapi32.Find<decltype(&::OpenServiceA)>("OpenServiceA");
    const auto queryConfig =
        advapi32.Find<decltype(&::QueryServiceConfigA)>("QueryServiceConfigA");
    const auto closeService =
        advapi32.Find<decltype(&::CloseServiceHandle)>("CloseServiceHandle");
    if (openScManager == nullptr || openService == nullptr || queryConfig == nullptr ||
        closeService == nullptr)
        return MissingEntryPoint();
    const SC_HANDLE manager = openScManager(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (manager == nullptr) return ::GetLastError();
    DWORD result = ERROR_SUCCESS;
    const SC_HANDLE service = openService(manager, serviceName.c_str(), SERVICE_QUERY_CONFIG);
    if (service == nullptr) {
        result = ::GetLastError();
    } else {
        // The record carries the service's texts behind it: the first call learns their
        // size. A new[] block is aligned for the record.
        DWORD needed = 0;
        queryConfig(service, nullptr, 0, &needed);
        std::vector<BYTE> buffer(std::max<DWORD>(needed, sizeof(QUERY_SERVICE_CONFIGA)));
        const auto config = reinterpret_cast<LPQUERY_SERVICE_CONFIGA>(buffer.data());
        if (queryConfig(service, config, static_cast<DWORD>(buffer.size()), &needed))
            startType = config->dwStartType;
        else
            result = ::GetLastError();
        closeService(service);
    }
    closeService(manager);
    return result;
}

uint32_t Win32UnattendedSystem::RegSetValueEx(const std::string& subKey,
                                             const std::string& valueName,
                                             const std::string& text) {
    const auto createKey = advapi32.Find<decltype(&::RegCreateKeyExA)>("RegCreateKeyExA");
    const auto setValue = advapi32.Find<decltype(&::RegSetValueExA)>("RegSetValueExA");
    const auto closeKey = advapi32.Find<decltype(&::RegCloseKey)>("RegCloseKey");
    if (createKey == nullptr || setValue == nullptr || closeKey == nullptr)
        return MissingEntryPoint();
    HKEY key = nullptr;
    LONG status = createKey(HKEY_LOCAL_MACHINE, subKey.c_str(), 0, nullptr,
                            REG_OPTION_NON_VOLATILE, KEY_SET_VALUE | kNativeView, nullptr,
                            &key, nullptr);
    if (status != ERROR_SUCCESS) return static_cast<uint32_t>(status);
    // REG_SZ data counts its terminating zero.
    status = setValue(key, valueName.c_str(), 0, REG_SZ,
                      reinterpret_cast<const BYTE*>(text.c_str()),
                      static_cast<DWORD>(text.size() + 1));
    closeKey(key);
    return static_cast<uint32_t>(status);
}

uint32_t Win32UnattendedSystem::RegDeleteKey(const std::string& subKey) {
    LONG status = ERROR_SUCCESS;
    // RegDeleteKeyExA arrived with the second registry view (64-bit XP, Vista).
    if (const auto deleteKeyEx = advapi32.Find<decltype(&::RegDeleteKeyExA)>("RegDeleteKeyExA")) {
        status = deleteKeyEx(HKEY_LOCAL_MACHINE, subKey.c_str(), kNativeView, 0);
    } else if (const auto deleteKey = advapi32.Find<decltype(&::RegDeleteKeyA)>("RegDeleteKeyA")) {
        status = deleteKey(HKEY_LOCAL_MACHINE, subKey.c_str());
    } else {
        return MissingEntryPoint();
    }
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : static_cast<uint32_t>(status);
}

}  // namespace sys
