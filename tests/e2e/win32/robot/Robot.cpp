#include "Robot.h"

#include "../common/E2ePaths.h"
#include "../common/LogFile.h"
#include "../common/Text.h"
#include "Desktop.h"
#include "Keyboard.h"

namespace e2e {

namespace {

constexpr long kDefaultWaitMs = 10000;
constexpr long kDefaultExitMs = 30000;
constexpr UINT kSendTimeoutMs = 5000;
constexpr DWORD kSnapshotAnswerMs = 30000;
// An action whose handler works longer before it takes its next message (the install
// button's) is left to the script's next wait.
constexpr DWORD kSettleTimeoutMs = 3000;
// Long enough for a window that was just shown or changed to have painted itself.
constexpr DWORD kSettleMs = 300;
constexpr DWORD kBetweenKeysMs = 30;
constexpr DWORD kKeySettleMs = 250;
constexpr int kPressAttempts = 5;
constexpr long kDefaultWatchPeriodMs = 500;
// Between the presses of a double click: well inside the system's double-click time.
constexpr DWORD kBetweenClicksMs = 60;
// Long enough for a paint of ours to have reached the screen before the window that owns
// the pixels is asked to paint them again.
constexpr DWORD kPaintFlushMs = 100;
const wchar_t* const kCoverClass = L"e2e_robot_cover";

std::vector<std::string> Utf8Words(const std::vector<std::wstring>& words) {
    std::vector<std::string> utf8;
    for (const std::wstring& word : words) utf8.push_back(ToUtf8(word));
    return utf8;
}

// Key presses go to the foreground window's thread; the log says which window that was.
void AddKeyboardTarget(JsonObject& result) {
    const HWND foreground = GetForegroundWindow();
    result.Add("foreground", foreground ? WindowText(foreground) : std::wstring());
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Lets the window's thread handle everything sent to it so far; a window that does not
// answer in time is taken as it is.
void Synchronise(HWND window) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &ignored);
}

void SendMouse(DWORD flags, LONG x = 0, LONG y = 0) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = x;
    input.mi.dy = y;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

// A plain window in a colour that no window of the installer shows.
bool RegisterCoverClass() {
    static bool registered = false;
    if (registered) return true;
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hbrBackground = CreateSolidBrush(RGB(255, 0, 255));
    windowClass.lpszClassName = kCoverClass;
    registered = RegisterClassW(&windowClass) != 0;
    return registered;
}

}  // namespace

Robot::Robot(std::wstring logPath, std::wstring programDir)
    : logPath_(std::move(logPath)), programDir_(std::move(programDir)) {}

Robot::~Robot() {
    if (hookModule_) {
        using Remove = void (*)();
        const auto remove = reinterpret_cast<Remove>(
            reinterpret_cast<void*>(GetProcAddress(hookModule_, "RemoveBoxHooks")));
        if (remove) remove();
    }
    if (process_) CloseHandle(process_);
}

const std::vector<Robot::Verb>& Robot::Verbs() {
    static const std::vector<Verb> kVerbs = {
        {L"hook", 0, 0, &Robot::Hook},
        {L"start", 1, 3, &Robot::Start},
        {L"wait", 1, 2, &Robot::Wait},
        {L"gone", 0, 1, &Robot::Gone},
        {L"absent", 2, 2, &Robot::Absent},
        {L"caption", 0, 0, &Robot::Caption},
        {L"enabled", 0, 0, &Robot::Enabled},
        {L"text", 1, 1, &Robot::Text},
        {L"checked", 1, 1, &Robot::Checked},
        {L"rect", 1, 1, &Robot::Rect},
        {L"click", 1, 1, &Robot::Click},
        {L"command", 1, 1, &Robot::CommandVerb},
        {L"syscommand", 1, 1, &Robot::SysCommand},
        {L"press", 1, 1, &Robot::Press},
        {L"release", 1, 1, &Robot::Release},
        {L"sysmenu", 0, 0, &Robot::SysMenu},
        {L"icons", 2, 2, &Robot::Icons},
        {L"picture", 1, 1, &Robot::Picture},
        {L"foreground", 0, 0, &Robot::Foreground},
        {L"keydown", 1, 8, &Robot::KeyDown},
        {L"keyup", 1, 8, &Robot::KeyUp},
        {L"key", 1, 8, &Robot::Key},
        {L"keystate", 1, 8, &Robot::KeyState},
        {L"watch", 1, 2, &Robot::Watch},
        {L"unwatch", 0, 0, &Robot::Unwatch},
        {L"mouseclick", 1, 2, &Robot::MouseClick},
        {L"cover", 5, 5, &Robot::Cover},
        {L"invalidate", 4, 4, &Robot::Invalidate},
        {L"attributes", 1, 1, &Robot::Attributes},
        {L"sleep", 1, 1, &Robot::Sleep},
        {L"snapshot", 1, 1, &Robot::Snapshot},
        {L"exit", 0, 1, &Robot::Exit},
    };
    return kVerbs;
}

bool Robot::Run(const std::vector<Command>& commands) {
    for (const Command& command : commands) {
        JsonObject result;
        result.Add("line", static_cast<long long>(command.line))
            .Add("verb", command.verb)
            .Add("args", Utf8Words(command.args));
        std::string error;
        bool ok = false;
        const Verb* verb = nullptr;
        for (const Verb& candidate : Verbs())
            if (command.verb == candidate.name) verb = &candidate;
        if (!verb)
            error = "unknown verb";
        else if (command.args.size() < verb->minArgs || command.args.size() > verb->maxArgs)
            error = "wrong number of arguments";
        else
            ok = (this->*verb->handler)(command, result, error);
        if (!ok) result.Add("error", error);
        result.Add("ok", ok);
        AppendJson(logPath_, result);
        if (!ok) return false;
    }
    return true;
}

void Robot::Settle(HWND window, JsonObject& result) {
    if (!hooked_) return;
    const unsigned sequence = ++settleSequence_;
    const std::wstring name = kSettledEventPrefix + std::to_wstring(sequence);
    const HANDLE settled = CreateEventW(nullptr, TRUE, FALSE, name.c_str());
    if (!settled) return;
    // A thread message, not a window's: it outlives a window that the action destroys.
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    const ULONGLONG start = GetTickCount64();
    const bool posted =
        PostThreadMessageW(thread, RegisterWindowMessageW(kSettleMessage), sequence, 0) != 0;
    const bool taken = posted && WaitUntil(
        [&] { return WaitForSingleObject(settled, 0) == WAIT_OBJECT_0 || !IsWindow(window); },
        kSettleTimeoutMs);
    CloseHandle(settled);
    result.Add("settled", taken).Add("settleMs", static_cast<long long>(GetTickCount64() - start));
}

bool Robot::NeedCurrent(std::string& error) const {
    if (current_ && IsWindow(current_)) return true;
    error = "no current window (wait for one first)";
    return false;
}

bool Robot::Number(const std::wstring& word, long& value, std::string& error) const {
    if (ParseNumber(word, value)) return true;
    error = "not a number: " + ToUtf8(word);
    return false;
}

bool Robot::Numbers(const Command& command, long* values, std::string& error) const {
    for (size_t i = 0; i < command.args.size(); ++i)
        if (!Number(command.args[i], values[i], error)) return false;
    return true;
}

bool Robot::Control(const Command& command, HWND& control, JsonObject& result,
                    std::string& error) const {
    long id = 0;
    if (!NeedCurrent(error) || !Number(command.args[0], id, error)) return false;
    result.Add("id", static_cast<long long>(id));
    control = GetDlgItem(current_, static_cast<int>(id));
    if (control) return true;
    error = "the current window has no control " + std::to_string(id);
    return false;
}

bool Robot::Hook(const Command&, JsonObject& result, std::string& error) {
    const std::wstring path = programDir_ + L"\\e2e_boxhook.dll";
    // Stays loaded for the robot's life; the destructor removes the hooks.
    const HMODULE module = LoadLibraryW(path.c_str());
    using Install = int (*)();
    const auto install =
        module ? reinterpret_cast<Install>(
                     reinterpret_cast<void*>(GetProcAddress(module, "InstallBoxHooks")))
               : nullptr;
    if (!install || install() == 0) {
        error = "cannot set the hooks of " + ToUtf8(path);
        return false;
    }
    hooked_ = true;
    hookModule_ = module;
    result.Add("dll", path);
    return true;
}

bool Robot::Start(const Command& command, JsonObject& result, std::string& error) {
    if (process_) {
        error = "a program was started already";
        return false;
    }
    const std::wstring& program = command.args[0];
    std::wstring commandLine = L"\"" + program + L"\"";
    if (command.args.size() > 2) commandLine += L" " + command.args[2];
    const wchar_t* directory =
        command.args.size() > 1 && !command.args[1].empty() ? command.args[1].c_str() : nullptr;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                        nullptr, directory, &startup, &info)) {
        error = "CreateProcess failed with error " + std::to_string(GetLastError());
        return false;
    }
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    result.Add("pid", static_cast<long long>(info.dwProcessId));
    return true;
}

bool Robot::Wait(const Command& command, JsonObject& result, std::string& error) {
    long timeout = kDefaultWaitMs;
    if (command.args.size() > 1 && !Number(command.args[1], timeout, error)) return false;
    const std::wstring& caption = command.args[0];
    const ULONGLONG start = GetTickCount64();
    HWND found = nullptr;
    if (!WaitUntil([&] { return (found = FindVisibleDialog(caption)) != nullptr; },
                   static_cast<DWORD>(timeout))) {
        error = "no dialog with this caption within " + std::to_string(timeout) + " ms";
        return false;
    }
    current_ = found;
    result.Add("hwnd", Hex(reinterpret_cast<ULONG_PTR>(found)))
        .Add("ms", static_cast<long long>(GetTickCount64() - start));
    return true;
}

bool Robot::Gone(const Command& command, JsonObject& result, std::string& error) {
    long timeout = kDefaultWaitMs;
    if (!command.args.empty() && !Number(command.args[0], timeout, error)) return false;
    if (!current_) {
        error = "no current window";
        return false;
    }
    const HWND window = current_;
    const ULONGLONG start = GetTickCount64();
    if (!WaitUntil([window] { return !IsWindow(window); }, static_cast<DWORD>(timeout))) {
        error = "the window is still there after " + std::to_string(timeout) + " ms";
        return false;
    }
    current_ = nullptr;
    result.Add("ms", static_cast<long long>(GetTickCount64() - start));
    return true;
}

bool Robot::Absent(const Command& command, JsonObject&, std::string& error) {
    long timeout = 0;
    if (!Number(command.args[1], timeout, error)) return false;
    const std::wstring& caption = command.args[0];
    if (WaitUntil([&] { return FindVisibleDialog(caption) != nullptr; },
                  static_cast<DWORD>(timeout))) {
        error = "a dialog with this caption showed";
        return false;
    }
    return true;
}

bool Robot::Caption(const Command&, JsonObject& result, std::string& error) {
    if (!NeedCurrent(error)) return false;
    result.Add("text", WindowText(current_));
    return true;
}

bool Robot::Enabled(const Command&, JsonObject& result, std::string& error) {
    if (!NeedCurrent(error)) return false;
    result.Add("enabled", IsWindowEnabled(current_) != FALSE);
    return true;
}

bool Robot::Text(const Command& command, JsonObject& result, std::string& error) {
    HWND control = nullptr;
    if (!Control(command, control, result, error)) return false;
    result.Add("text", WindowText(control));
    return true;
}

bool Robot::Checked(const Command& command, JsonObject& result, std::string& error) {
    HWND control = nullptr;
    if (!Control(command, control, result, error)) return false;
    DWORD_PTR state = 0;
    if (!SendMessageTimeoutW(control, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                             &state)) {
        error = "the control did not answer BM_GETCHECK";
        return false;
    }
    result.Add("state", static_cast<long long>(state));
    return true;
}

// A snapshot holds the whole window, frame included, so the control is placed from the
// window's outer corner rather than from its client area.
bool Robot::Rect(const Command& command, JsonObject& result, std::string& error) {
    HWND control = nullptr;
    if (!Control(command, control, result, error)) return false;
    RECT window = {};
    RECT item = {};
    RECT client = {};
    RECT windowClient = {};
    if (!GetWindowRect(current_, &window) || !GetWindowRect(control, &item) ||
        !GetClientRect(control, &client) || !GetClientRect(current_, &windowClient)) {
        error = "GetWindowRect failed";
        return false;
    }
    MapWindowPoints(control, nullptr, reinterpret_cast<POINT*>(&client), 2);
    MapWindowPoints(current_, nullptr, reinterpret_cast<POINT*>(&windowClient), 2);
    result.Add("left", static_cast<long long>(item.left - window.left))
        .Add("top", static_cast<long long>(item.top - window.top))
        .Add("right", static_cast<long long>(item.right - window.left))
        .Add("bottom", static_cast<long long>(item.bottom - window.top))
        .Add("clientLeft", static_cast<long long>(client.left - window.left))
        .Add("clientTop", static_cast<long long>(client.top - window.top))
        .Add("clientRight", static_cast<long long>(client.right - window.left))
        .Add("clientBottom", static_cast<long long>(client.bottom - window.top))
        .Add("windowClientLeft", static_cast<long long>(windowClient.left - window.left))
        .Add("windowClientTop", static_cast<long long>(windowClient.top - window.top))
        .Add("windowClientRight", static_cast<long long>(windowClient.right - window.left))
        .Add("windowClientBottom", static_cast<long long>(windowClient.bottom - window.top))
        .Add("windowWidth", static_cast<long long>(window.right - window.left))
        .Add("windowHeight", static_cast<long long>(window.bottom - window.top));
    return true;
}

// Posted, not sent: a click may open a modal dialog, and a sent message would not
// return before that dialog ends.
bool Robot::Click(const Command& command, JsonObject& result, std::string& error) {
    HWND control = nullptr;
    if (!Control(command, control, result, error)) return false;
    if (!PostMessageW(control, BM_CLICK, 0, 0)) {
        error = "PostMessage failed";
        return false;
    }
    Settle(control, result);
    return true;
}

bool Robot::CommandVerb(const Command& command, JsonObject& result, std::string& error) {
    long id = 0;
    if (!NeedCurrent(error) || !Number(command.args[0], id, error)) return false;
    result.Add("id", static_cast<long long>(id));
    const HWND control = GetDlgItem(current_, static_cast<int>(id));
    if (!PostMessageW(current_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                      reinterpret_cast<LPARAM>(control))) {
        error = "PostMessage failed";
        return false;
    }
    Settle(current_, result);
    return true;
}

bool Robot::SysCommand(const Command& command, JsonObject& result, std::string& error) {
    long id = 0;
    if (!NeedCurrent(error) || !Number(command.args[0], id, error)) return false;
    result.Add("id", static_cast<long long>(id));
    if (!PostMessageW(current_, WM_SYSCOMMAND, static_cast<WPARAM>(id), 0)) {
        error = "PostMessage failed";
        return false;
    }
    Settle(current_, result);
    return true;
}

// The button sees the press and the release where a mouse would put them, in its own
// client coordinates; it captures the mouse in between, as for a held button.
bool Robot::PostMouse(const Command& command, UINT message, WPARAM keys, JsonObject& result,
                      std::string& error) {
    HWND control = nullptr;
    if (!Control(command, control, result, error)) return false;
    RECT client = {};
    GetClientRect(control, &client);
    const int x = (client.left + client.right) / 2;
    const int y = (client.top + client.bottom) / 2;
    if (!PostMessageW(control, message, keys, MAKELPARAM(x, y))) {
        error = "PostMessage failed";
        return false;
    }
    Settle(control, result);
    return true;
}

bool Robot::Press(const Command& command, JsonObject& result, std::string& error) {
    return PostMouse(command, WM_LBUTTONDOWN, MK_LBUTTON, result, error);
}

bool Robot::Release(const Command& command, JsonObject& result, std::string& error) {
    return PostMouse(command, WM_LBUTTONUP, 0, result, error);
}

// Another process's menus and icons cannot be read from here; the box hook reads them
// inside the window's own process while the message is being sent.
bool Robot::AskHook(const wchar_t* name, WPARAM wParam, LPARAM lParam, std::string& reply,
                    std::string& error) {
    DeleteFileW(kHookReplyPath);
    const UINT message = RegisterWindowMessageW(name);
    DWORD_PTR ignored = 0;
    if (!SendMessageTimeoutW(current_, message, wParam, lParam, SMTO_ABORTIFHUNG,
                             kSendTimeoutMs, &ignored) ||
        !ReadWholeFile(kHookReplyPath, reply) || reply.empty()) {
        error = "the box hook did not answer (is hook in the script?)";
        return false;
    }
    return true;
}

bool Robot::SysMenu(const Command&, JsonObject& result, std::string& error) {
    std::string reply;
    if (!NeedCurrent(error) || !AskHook(kListSystemMenuMessage, 0, 0, reply, error))
        return false;
    result.AddJson("menu", reply);
    return true;
}

bool Robot::Icons(const Command& command, JsonObject& result, std::string& error) {
    long id = 0;
    long icon = 0;
    std::string reply;
    if (!NeedCurrent(error) || !Number(command.args[0], id, error) ||
        !Number(command.args[1], icon, error) ||
        !AskHook(kDescribeIconsMessage, static_cast<WPARAM>(id), static_cast<LPARAM>(icon),
                 reply, error))
        return false;
    result.AddJson("icons", reply);
    return true;
}

bool Robot::Picture(const Command& command, JsonObject& result, std::string& error) {
    long id = 0;
    std::string reply;
    if (!NeedCurrent(error) || !Number(command.args[0], id, error) ||
        !AskHook(kDescribePictureMessage, static_cast<WPARAM>(id), 0, reply, error))
        return false;
    result.AddJson("picture", reply);
    return true;
}

bool Robot::Foreground(const Command&, JsonObject& result, std::string& error) {
    if (!NeedCurrent(error)) return false;
    SetForegroundWindow(current_);
    PumpFor(kBetweenKeysMs);
    result.Add("foreground", GetForegroundWindow() == current_);
    return true;
}

// Wine brings its key state in line with the X server's when a window gets the X focus,
// and so lets go of keys that only SendInput pressed: a window that has just shown may
// do that a moment later. Keys are pressed again until they stay down for a while.
bool Robot::KeyDown(const Command& command, JsonObject& result, std::string& error) {
    for (const std::wstring& key : command.args) {
        if (!IsKeyName(key)) {
            error = "unknown key " + ToUtf8(key);
            return false;
        }
    }
    AddKeyboardTarget(result);
    for (int attempt = 1; attempt <= kPressAttempts; ++attempt) {
        for (const std::wstring& key : command.args) {
            if (IsKeyDown(key)) continue;
            PressKey(key);
            PumpFor(kBetweenKeysMs);
        }
        PumpFor(kKeySettleMs);
        bool allDown = true;
        for (const std::wstring& key : command.args) allDown = allDown && IsKeyDown(key);
        if (allDown) {
            result.Add("attempts", static_cast<long long>(attempt));
            return true;
        }
    }
    error = "the keys did not stay down";
    return false;
}

bool Robot::KeyUp(const Command& command, JsonObject&, std::string& error) {
    for (const std::wstring& key : command.args) {
        if (!ReleaseKey(key)) {
            error = "cannot release " + ToUtf8(key);
            return false;
        }
        PumpFor(kBetweenKeysMs);
    }
    return true;
}

bool Robot::Key(const Command& command, JsonObject& result, std::string& error) {
    AddKeyboardTarget(result);
    for (const std::wstring& key : command.args) {
        if (!PressKey(key)) {
            error = "cannot press " + ToUtf8(key);
            return false;
        }
        PumpFor(kBetweenKeysMs);
        ReleaseKey(key);
        PumpFor(kBetweenKeysMs);
    }
    return true;
}

bool Robot::KeyState(const Command& command, JsonObject& result, std::string& error) {
    std::vector<JsonObject> keys;
    for (const std::wstring& key : command.args) {
        if (!IsKeyName(key)) {
            error = "unknown key " + ToUtf8(key);
            return false;
        }
        JsonObject state;
        state.Add("key", key).Add("down", IsKeyDown(key));
        keys.push_back(state);
    }
    result.Add("keys", keys);
    return true;
}

bool Robot::Watch(const Command& command, JsonObject& result, std::string& error) {
    long id = 0;
    long period = kDefaultWatchPeriodMs;
    if (!NeedCurrent(error) || !Number(command.args[0], id, error)) return false;
    if (command.args.size() > 1 && !Number(command.args[1], period, error)) return false;
    if (!watcher_.Start(current_, static_cast<int>(id), static_cast<DWORD>(period))) {
        error = "a watch runs already, or its thread did not start";
        return false;
    }
    result.Add("hwnd", Hex(reinterpret_cast<ULONG_PTR>(current_)));
    return true;
}

bool Robot::Unwatch(const Command&, JsonObject& result, std::string& error) {
    if (!watcher_.Running()) {
        error = "no watch runs";
        return false;
    }
    result.Add("samples", watcher_.Stop());
    return true;
}

// The pointer is moved onto the control's centre first, in the absolute coordinates of
// SendInput (0 to 65535 across the primary screen).
bool Robot::MouseClick(const Command& command, JsonObject& result, std::string& error) {
    HWND control = nullptr;
    long count = 1;
    if (!Control(command, control, result, error)) return false;
    if (command.args.size() > 1 && !Number(command.args[1], count, error)) return false;
    RECT rect = {};
    GetWindowRect(control, &rect);
    const LONG x = (rect.left + rect.right) / 2;
    const LONG y = (rect.top + rect.bottom) / 2;
    const LONG width = GetSystemMetrics(SM_CXSCREEN);
    const LONG height = GetSystemMetrics(SM_CYSCREEN);
    SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, x * 65535 / (width - 1),
              y * 65535 / (height - 1));
    PumpFor(kBetweenKeysMs);
    for (long click = 0; click < count; ++click) {
        if (click > 0) PumpFor(kBetweenClicksMs);
        SendMouse(MOUSEEVENTF_LEFTDOWN);
        SendMouse(MOUSEEVENTF_LEFTUP);
    }
    POINT at = {};
    GetCursorPos(&at);
    result.Add("x", static_cast<long long>(at.x)).Add("y", static_cast<long long>(at.y));
    return true;
}

bool Robot::Cover(const Command& command, JsonObject& result, std::string& error) {
    long place[5] = {};
    if (!NeedCurrent(error) || !Numbers(command, place, error)) return false;
    if (!RegisterCoverClass()) {
        error = "cannot register the cover's window class";
        return false;
    }
    RECT window = {};
    GetWindowRect(current_, &window);
    const HWND cover = CreateWindowExW(
        WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kCoverClass, L"", WS_POPUP,
        window.left + place[0], window.top + place[1], place[2], place[3], nullptr, nullptr,
        GetModuleHandleW(nullptr), nullptr);
    if (!cover) {
        error = "cannot create the cover";
        return false;
    }
    ShowWindow(cover, SW_SHOWNOACTIVATE);
    UpdateWindow(cover);
    PumpFor(static_cast<DWORD>(place[4]));
    DestroyWindow(cover);
    PumpFor(kBetweenKeysMs);
    result.Add("left", static_cast<long long>(place[0])).Add("top", static_cast<long long>(place[1]));
    return true;
}

bool Robot::Invalidate(const Command& command, JsonObject& result, std::string& error) {
    long place[4] = {};
    if (!NeedCurrent(error) || !Numbers(command, place, error)) return false;
    // The window's own pixels count from its outer corner; its client area starts
    // inside the frame.
    RECT window = {};
    GetWindowRect(current_, &window);
    POINT client = {0, 0};
    ClientToScreen(current_, &client);
    RECT part = {place[0], place[1], place[0] + place[2], place[1] + place[3]};
    OffsetRect(&part, window.left - client.x, window.top - client.y);
    const HDC dc = GetDC(current_);
    const HBRUSH brush = CreateSolidBrush(RGB(255, 0, 255));
    const bool painted = dc && FillRect(dc, &part, brush);
    DeleteObject(brush);
    if (dc) ReleaseDC(current_, dc);
    // The paint travels on this process's own display connection, which is flushed
    // only when the thread waits; a repaint asked for before then can reach the screen
    // first and be painted over by the late fill.
    PumpFor(kPaintFlushMs);
    if (!painted || !RedrawWindow(current_, &part, nullptr,
                                  RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN)) {
        error = "cannot paint or invalidate the part";
        return false;
    }
    result.Add("left", static_cast<long long>(part.left)).Add("top", static_cast<long long>(part.top));
    return true;
}

// Asked from inside the prefix: Wine keeps some attributes in the Unix file mode and
// others beside the file, so only the system's own answer is the one the installer sees.
bool Robot::Attributes(const Command& command, JsonObject& result, std::string&) {
    const DWORD attributes = GetFileAttributesW(command.args[0].c_str());
    result.Add("attributes", attributes == INVALID_FILE_ATTRIBUTES
                                 ? -1LL
                                 : static_cast<long long>(attributes));
    return true;
}

bool Robot::Sleep(const Command& command, JsonObject&, std::string& error) {
    long milliseconds = 0;
    if (!Number(command.args[0], milliseconds, error)) return false;
    PumpFor(static_cast<DWORD>(milliseconds));
    return true;
}

// The harness watches the sync folder, photographs the window's own X window (a whole
// screen shot would show owned dialogs under their owners) and answers with a file.
bool Robot::Snapshot(const Command& command, JsonObject& result, std::string& error) {
    if (!NeedCurrent(error)) return false;
    Synchronise(current_);
    PumpFor(kSettleMs);
    const auto xWindow = reinterpret_cast<ULONG_PTR>(GetPropW(current_, L"__wine_x11_whole_window"));
    if (!xWindow) {
        error = "the window has no X window";
        return false;
    }
    const std::wstring base = std::wstring(kSyncDir) + L"\\" + command.args[0];
    DeleteFileW((base + L".done").c_str());
    JsonObject request;
    request.Add("name", command.args[0])
        .Add("xid", Hex(xWindow))
        .Add("hwnd", Hex(reinterpret_cast<ULONG_PTR>(current_)));
    CreateDirectoryW(kSyncDir, nullptr);
    // Renamed into place, so that the harness never reads a request half written.
    const std::wstring draft = base + L".draft";
    if (!WriteWholeFile(draft, request.Str()) ||
        !MoveFileExW(draft.c_str(), (base + L".request").c_str(), MOVEFILE_REPLACE_EXISTING)) {
        error = "cannot write the request";
        return false;
    }
    std::string answer;
    if (!WaitUntil([&] { return FileExists(base + L".done"); }, kSnapshotAnswerMs) ||
        !ReadWholeFile(base + L".done", answer)) {
        error = "the harness did not answer";
        return false;
    }
    result.Add("xid", Hex(xWindow)).AddJson("harness", answer);
    return true;
}

bool Robot::Exit(const Command& command, JsonObject& result, std::string& error) {
    long timeout = kDefaultExitMs;
    if (!command.args.empty() && !Number(command.args[0], timeout, error)) return false;
    if (!process_) {
        error = "no program was started";
        return false;
    }
    if (!WaitForObject(process_, static_cast<DWORD>(timeout))) {
        error = "the program still runs after " + std::to_string(timeout) + " ms";
        return false;
    }
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    result.Add("code", static_cast<long long>(code));
    return true;
}

}  // namespace e2e
