// Times one install run of setup.exe on the parallel port, as a user would work it, and
// writes what it measured as one JSON object.
//
//   install_stopwatch.exe <result.json> <setup.exe> <its folder>
//       starts the installer, clicks its install button, ticks the parallel port in the
//       port dialog and confirms it, presses OK on the closing message box and waits
//       for the program to end.
//   install_stopwatch.exe <result.json> --reference
//       the same for a reference program (this one, started with --show-box) that
//       shows one message box and ends: the memory figure of a minimal Wine GUI program.
//   install_stopwatch.exe --show-box
//       that reference program.
//
// Times are milliseconds of the performance counter since the install button's click
// was posted. Meanwhile a thread of the stopwatch sends the main window a message that
// does nothing every few milliseconds and notes when each is answered: the longest
// gap between two answers is the longest the window went without handling a message. A dialog counts as open from the instant it was activated, which
// show_clock.dll (beside this program) takes inside the program's user-interface
// thread; the stopwatch sleeps until then, so it takes no time from the program while
// the program works.

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "ShowClock.h"

namespace {

const wchar_t* const kDialogClass = L"#32770";
const wchar_t* const kMainCaption = L"打印机驱动安装程序";
const wchar_t* const kPortCaption = L"打印机接口";
const wchar_t* const kInfoCaption = L"信息提示";
const wchar_t* const kReferenceCaption = L"bench reference";
constexpr int kInstallButton = 1000;
constexpr int kPortButton = 1002;
constexpr int kParallelCheck = 1006;
constexpr int kMessageText = 0xFFFF;
constexpr DWORD kStartTimeoutMs = 30000;
constexpr DWORD kStepTimeoutMs = 120000;
// Sends wait for the program's thread without the hung-window shortcut: a thread that
// has worked for more than five seconds without reading its queue counts as hung until
// it reads it again, which a dialog that has just been activated may not have done yet.
constexpr DWORD kSendTimeoutMs = 5000;
constexpr DWORD kStartPollMs = 20;
// Lets the freshly shown main window paint and Wine's start-up work in the prefix end
// before the clock starts.
constexpr DWORD kQuietBeforeClickMs = 1500;
// Between the answer to one probe and the next probe.
constexpr DWORD kProbePauseMs = 20;

class Clock {
public:
    Clock() {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        frequency_ = static_cast<double>(frequency.QuadPart);
        Restart();
    }
    void Restart() { QueryPerformanceCounter(&origin_); }
    double Ms() const {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return MsAt(now.QuadPart);
    }
    double MsAt(LONGLONG counter) const {
        return static_cast<double>(counter - origin_.QuadPart) * 1000.0 / frequency_;
    }

private:
    double frequency_ = 1.0;
    LARGE_INTEGER origin_{};
};

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &bytes[0],
                        size, nullptr, nullptr);
    return bytes;
}

std::string JsonString(const std::string& utf8) {
    std::string quoted = "\"";
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (byte < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", byte);
            quoted += escape;
        } else {
            quoted += c;
        }
    }
    return quoted + '"';
}

// The result, written as one JSON object with the fields in the order they were added.
class Result {
public:
    void Number(const char* key, double value) {
        char text[32];
        std::snprintf(text, sizeof text, "%.3f", value);
        Add(key, text);
    }
    void Text(const char* key, const std::wstring& value) { Add(key, JsonString(Utf8(value))); }
    void Fail(const std::string& reason) {
        if (failure_.empty()) failure_ = reason;
    }
    bool Failed() const { return !failure_.empty(); }
    bool Write(const std::wstring& path) {
        Add("ok", failure_.empty() ? "true" : "false");
        if (!failure_.empty()) Add("failure", JsonString(failure_));
        std::string json = "{";
        for (size_t i = 0; i < fields_.size(); ++i) json += (i ? ", " : "") + fields_[i];
        json += "}\n";
        const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;
        DWORD written = 0;
        const bool ok = WriteFile(file, json.data(), static_cast<DWORD>(json.size()), &written,
                                  nullptr) &&
                        written == json.size();
        CloseHandle(file);
        return ok;
    }

private:
    void Add(const char* key, const std::string& value) {
        fields_.push_back(JsonString(key) + ": " + value);
    }
    std::vector<std::string> fields_;
    std::string failure_;
};

// Sends WM_NULL to a window from a thread of its own, one message after the other with
// a short pause, until stopped or the window is gone; keeps the longest time between two
// answers (or from the start to the first answer).
class Prober {
public:
    explicit Prober(HWND window) : window_(window) {
        stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        QueryPerformanceCounter(&last_);
        thread_ = stop_ ? CreateThread(nullptr, 0, &Prober::Main, this, 0, nullptr) : nullptr;
    }
    ~Prober() { Stop(); }
    Prober(const Prober&) = delete;
    Prober& operator=(const Prober&) = delete;

    void Stop() {
        if (thread_) {
            SetEvent(stop_);
            WaitForSingleObject(thread_, INFINITE);
            CloseHandle(thread_);
            thread_ = nullptr;
        }
        if (stop_) {
            CloseHandle(stop_);
            stop_ = nullptr;
        }
    }
    bool Started() const { return thread_ != nullptr; }
    double LongestGapMs() const { return longestGapMs_; }
    double Answered() const { return answered_; }

private:
    static DWORD WINAPI Main(void* self) {
        static_cast<Prober*>(self)->Probe();
        return 0;
    }
    void Probe() {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        do {
            DWORD_PTR ignored = 0;
            if (!SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL, kStepTimeoutMs,
                                     &ignored))
                break;
            LARGE_INTEGER now;
            QueryPerformanceCounter(&now);
            const double gap = static_cast<double>(now.QuadPart - last_.QuadPart) * 1000.0 /
                               static_cast<double>(frequency.QuadPart);
            if (gap > longestGapMs_) longestGapMs_ = gap;
            last_ = now;
            ++answered_;
        } while (WaitForSingleObject(stop_, kProbePauseMs) == WAIT_TIMEOUT);
    }

    HWND window_;
    HANDLE stop_ = nullptr;
    HANDLE thread_ = nullptr;
    LARGE_INTEGER last_{};
    double longestGapMs_ = 0;
    double answered_ = 0;
};

DWORD OwningProcess(HWND window) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process;
}

// Another process's control text, asked of the control itself (GetWindowText does not
// ask other processes' controls).
std::wstring ControlText(HWND control) {
    wchar_t text[1024] = {};
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(control, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text),
                        SMTO_NORMAL, kSendTimeoutMs, &ignored);
    return text;
}

HWND FindDialog(DWORD process, const wchar_t* caption) {
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, kDialogClass, caption)) != nullptr) {
        if (OwningProcess(window) == process) return window;
    }
    return nullptr;
}

// The activations that show_clock.dll logs in the timed program.
class ShowClock {
public:
    ShowClock() {
        mapping_ = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                      sizeof(bench::ShowLog), bench::kShowClockMapping);
        if (mapping_)
            log_ = static_cast<bench::ShowLog*>(
                MapViewOfFile(mapping_, FILE_MAP_WRITE, 0, 0, sizeof(bench::ShowLog)));
        shown_ = CreateEventW(nullptr, FALSE, FALSE, bench::kShowClockEvent);
    }
    ~ShowClock() {
        if (hook_) UnhookWindowsHookEx(hook_);
        if (log_) UnmapViewOfFile(log_);
        if (mapping_) CloseHandle(mapping_);
        if (shown_) CloseHandle(shown_);
    }
    ShowClock(const ShowClock&) = delete;
    ShowClock& operator=(const ShowClock&) = delete;

    bool Ready() const { return log_ && shown_; }
    HANDLE ShownEvent() const { return shown_; }

    bool HookThread(DWORD thread) {
        wchar_t path[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::wstring dll = path;
        dll = dll.substr(0, dll.find_last_of(L'\\') + 1) + L"show_clock.dll";
        const HMODULE module = LoadLibraryW(dll.c_str());
        const auto proc = module ? reinterpret_cast<HOOKPROC>(
                                       reinterpret_cast<void*>(GetProcAddress(module, "CbtProc")))
                                 : nullptr;
        hook_ = proc ? SetWindowsHookExW(WH_CBT, proc, module, thread) : nullptr;
        return hook_ != nullptr;
    }

    // The next activation logged since the last call, if any.
    bool Next(bench::Show& show) {
        if (next_ >= log_->written || next_ >= bench::kShowClockSlots) return false;
        show = log_->shows[next_++];
        return true;
    }

private:
    HANDLE mapping_ = nullptr;
    bench::ShowLog* log_ = nullptr;
    HANDLE shown_ = nullptr;
    HHOOK hook_ = nullptr;
    LONG next_ = 0;
};

class Run {
public:
    Run(PROCESS_INFORMATION program, ShowClock& clock, Result& result)
        : program_(program), shows_(clock), result_(result) {}

    // Sleeps until the program activates a dialog with this caption, and gives the
    // dialog and the counter at its activation; null when the program ended, a dialog
    // it was not expected to show came first, or the time ran out (the result says which).
    HWND AwaitDialog(const wchar_t* caption, DWORD timeoutMs,
                     const std::vector<const wchar_t*>& expected, LONGLONG& activatedAt) {
        const ULONGLONG end = GetTickCount64() + timeoutMs;
        for (;;) {
            bench::Show show;
            while (shows_.Next(show)) {
                if (show.process != program_.dwProcessId) continue;
                if (lstrcmpW(show.caption, caption) == 0) {
                    activatedAt = show.counter;
                    if (const HWND window = FindDialog(program_.dwProcessId, caption))
                        return window;
                    result_.Fail("the dialog " + Utf8(caption) + " is gone at once");
                    return nullptr;
                }
                bool known = false;
                for (const wchar_t* other : expected) known = known || lstrcmpW(show.caption, other) == 0;
                if (!known) {
                    result_.Fail("unexpected dialog " + Utf8(show.caption) +
                                 " while waiting for " + Utf8(caption));
                    return nullptr;
                }
            }
            const ULONGLONG now = GetTickCount64();
            if (now > end) {
                result_.Fail("no " + Utf8(caption) + " in time");
                return nullptr;
            }
            const HANDLE handles[] = {shows_.ShownEvent(), program_.hProcess};
            const DWORD woken = MsgWaitForMultipleObjects(2, handles, FALSE,
                                                          static_cast<DWORD>(end - now),
                                                          QS_ALLINPUT);
            if (woken == WAIT_OBJECT_0 + 1) {
                result_.Fail("the program ended while waiting for " + Utf8(caption));
                return nullptr;
            }
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        }
    }

    bool AwaitEnd(DWORD timeoutMs) {
        if (WaitForSingleObject(program_.hProcess, timeoutMs) == WAIT_OBJECT_0) return true;
        result_.Fail("the program did not end in time");
        return false;
    }

    DWORD ExitCode() const {
        DWORD code = 0;
        GetExitCodeProcess(program_.hProcess, &code);
        return code;
    }

private:
    PROCESS_INFORMATION program_;
    ShowClock& shows_;
    Result& result_;
};

bool Start(const std::wstring& commandLine, const std::wstring& directory,
           PROCESS_INFORMATION& program, Result& result) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::vector<wchar_t> writable(commandLine.begin(), commandLine.end());
    writable.push_back(L'\0');
    if (!CreateProcessW(nullptr, writable.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        directory.empty() ? nullptr : directory.c_str(), &startup, &program)) {
        result.Fail("cannot start " + Utf8(commandLine));
        return false;
    }
    return true;
}

// Waits for the program's first dialog, polling: nothing is timed yet.
HWND FirstDialog(const PROCESS_INFORMATION& program, const wchar_t* caption, Result& result) {
    const ULONGLONG end = GetTickCount64() + kStartTimeoutMs;
    HWND window = nullptr;
    while (!(window = FindDialog(program.dwProcessId, caption)) || !IsWindowVisible(window)) {
        if (WaitForSingleObject(program.hProcess, kStartPollMs) == WAIT_OBJECT_0 ||
            GetTickCount64() > end) {
            result.Fail("no " + Utf8(caption) + " after the start");
            return nullptr;
        }
    }
    return window;
}

void Settle(HWND window) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, kSendTimeoutMs, &ignored);
}

// The install run. The clock starts as the install button's click is posted.
void TimeInstall(const std::wstring& setup, const std::wstring& folder, Result& result) {
    ShowClock shows;
    PROCESS_INFORMATION program{};
    if (!Start(L"\"" + setup + L"\"", folder, program, result)) return;
    Run run(program, shows, result);
    LONGLONG activated = 0;
    const HWND main = FirstDialog(program, kMainCaption, result);
    // The thread that owns the main window shows the program's dialogs.
    if (main && !(shows.Ready() && shows.HookThread(GetWindowThreadProcessId(main, nullptr))))
        result.Fail("cannot hook the show clock on the program");
    if (main && !result.Failed()) {
        WaitForInputIdle(program.hProcess, kStartTimeoutMs);
        Sleep(kQuietBeforeClickMs);
        Settle(main);

        Clock clock;
        Prober prober(main);
        if (!prober.Started()) result.Fail("cannot start the probe thread");
        PostMessageW(GetDlgItem(main, kInstallButton), BM_CLICK, 0, 0);
        const std::vector<const wchar_t*> duringWork = {kMainCaption, kPortCaption};
        const HWND port = run.AwaitDialog(kPortCaption, kStepTimeoutMs, duringWork, activated);
        if (port) {
            result.Number("portShownMs", clock.MsAt(activated));
            result.Number("portSeenMs", clock.Ms());
            Settle(port);
            const HWND check = GetDlgItem(port, kParallelCheck);
            DWORD_PTR ignored = 0;
            SendMessageTimeoutW(check, BM_CLICK, 0, 0, SMTO_NORMAL, kSendTimeoutMs, &ignored);
            DWORD_PTR state = 0;
            SendMessageTimeoutW(check, BM_GETCHECK, 0, 0, SMTO_NORMAL, kSendTimeoutMs, &state);
            const HWND confirm = GetDlgItem(port, kPortButton);
            result.Text("portButtonCaption", ControlText(confirm));
            if (state != BST_CHECKED) result.Fail("the parallel port box did not tick");
            result.Number("portConfirmedMs", clock.Ms());
            PostMessageW(confirm, BM_CLICK, 0, 0);

            const std::vector<const wchar_t*> afterPort = {kMainCaption, kPortCaption,
                                                           kInfoCaption};
            const HWND box = result.Failed()
                                 ? nullptr
                                 : run.AwaitDialog(kInfoCaption, kStepTimeoutMs, afterPort,
                                                   activated);
            if (box) {
                result.Number("boxShownMs", clock.MsAt(activated));
                result.Number("boxSeenMs", clock.Ms());
                Settle(box);
                result.Text("boxText", ControlText(GetDlgItem(box, kMessageText)));
                result.Number("boxClosedMs", clock.Ms());
                PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
                if (run.AwaitEnd(kStepTimeoutMs)) result.Number("endedMs", clock.Ms());
            }
        }
        prober.Stop();
        result.Number("longestGapMs", prober.LongestGapMs());
        result.Number("probesAnswered", prober.Answered());
    }
    if (result.Failed()) TerminateProcess(program.hProcess, 1);
    result.Number("exitCode", run.ExitCode());
    CloseHandle(program.hThread);
    CloseHandle(program.hProcess);
}

void TimeReference(Result& result) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    PROCESS_INFORMATION program{};
    if (!Start(L"\"" + std::wstring(self) + L"\" --show-box", L"", program, result)) return;
    if (const HWND box = FirstDialog(program, kReferenceCaption, result)) {
        Sleep(kQuietBeforeClickMs);
        Settle(box);
        PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
        if (WaitForSingleObject(program.hProcess, kStepTimeoutMs) != WAIT_OBJECT_0)
            result.Fail("the reference program did not end in time");
    }
    if (result.Failed()) TerminateProcess(program.hProcess, 1);
    CloseHandle(program.hThread);
    CloseHandle(program.hProcess);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 2 && std::wstring(argv[1]) == L"--show-box") {
        MessageBoxW(nullptr, L"打印机安装成功!", kReferenceCaption, MB_OK | MB_ICONINFORMATION);
        return 0;
    }
    Result result;
    if (argc == 3 && std::wstring(argv[2]) == L"--reference") {
        TimeReference(result);
    } else if (argc == 4) {
        TimeInstall(argv[2], argv[3], result);
    } else {
        std::fputs("usage: install_stopwatch.exe <result.json> (<setup.exe> <folder> | "
                   "--reference) | --show-box\n",
                   stderr);
        return 2;
    }
    if (argc < 2 || !result.Write(argv[1])) return 2;
    return result.Failed() ? 1 : 0;
}
