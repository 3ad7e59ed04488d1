// Records every top-level dialog that any process of the prefix shows, from inside that
// process. A box that closes by itself (a quit message was pending) lives for a few
// milliseconds, too short for another process to see it; a hook sees each one.
//
// Installed globally by the robot: the system loads this DLL into each process whose
// windows receive messages. Each process appends to the same log, so the log holds the
// boxes in the order in which they opened. It also logs the result with which a program
// ends a dialog, as the program hands it to the dialog manager's EndDialog.

#include <windows.h>

#include <string>

#include "../common/E2ePaths.h"
#include "../common/LogFile.h"
#include "DialogFacts.h"
#include "ImportPatch.h"

namespace {

HMODULE g_module = nullptr;

std::wstring ProcessName() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring full = path;
    const size_t slash = full.find_last_of(L"\\/");
    return slash == std::wstring::npos ? full : full.substr(slash + 1);
}

long long MicrosecondsNow() {
    LARGE_INTEGER counter = {};
    LARGE_INTEGER frequency = {};
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return counter.QuadPart / frequency.QuadPart * 1000000 +
           counter.QuadPart % frequency.QuadPart * 1000000 / frequency.QuadPart;
}

e2e::JsonObject DialogEvent(const char* event, HWND dialog) {
    e2e::JsonObject line;
    line.Add("event", event)
        .Add("us", MicrosecondsNow())
        .Add("pid", static_cast<long long>(GetCurrentProcessId()))
        .Add("process", ProcessName());
    e2e::AddDialogFacts(dialog, line);
    return line;
}

void LogDialogEvent(const char* event, HWND dialog) {
    e2e::AppendJson(e2e::kBoxLogPath, DialogEvent(event, dialog));
}

using EndDialogFunction = BOOL(WINAPI*)(HWND, INT_PTR);
EndDialogFunction g_endDialog = nullptr;

// Stands in for EndDialog in the program's own imports.
BOOL WINAPI LoggingEndDialog(HWND dialog, INT_PTR result) {
    e2e::JsonObject line = DialogEvent("end", dialog);
    line.Add("result", static_cast<long long>(result));
    e2e::AppendJson(e2e::kBoxLogPath, line);
    return g_endDialog(dialog, result);
}

// Only the program's own calls are seen: the dialog manager's calls from inside the
// system (message boxes) do not go through the program's imports.
void WatchEndDialog() {
    g_endDialog = reinterpret_cast<EndDialogFunction>(
        e2e::PatchImport(GetModuleHandleW(nullptr), "user32.dll", "EndDialog",
                         reinterpret_cast<void*>(&LoggingEndDialog)));
    if (!g_endDialog) return;
    // The program calls into this DLL from now on: it must stay loaded after the robot
    // has removed its hooks.
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       reinterpret_cast<LPCWSTR>(&LoggingEndDialog), &self);
}

UINT ListSystemMenuMessage() {
    static const UINT message = RegisterWindowMessageW(e2e::kListSystemMenuMessage);
    return message;
}

UINT DescribeIconsMessage() {
    static const UINT message = RegisterWindowMessageW(e2e::kDescribeIconsMessage);
    return message;
}

UINT DescribePictureMessage() {
    static const UINT message = RegisterWindowMessageW(e2e::kDescribePictureMessage);
    return message;
}

UINT SettleMessage() {
    static const UINT message = RegisterWindowMessageW(e2e::kSettleMessage);
    return message;
}

void SignalSettled(WPARAM sequence) {
    const std::wstring name = e2e::kSettledEventPrefix + std::to_wstring(sequence);
    const HANDLE event = OpenEventW(EVENT_MODIFY_STATE, FALSE, name.c_str());
    if (!event) return;
    SetEvent(event);
    CloseHandle(event);
}

// Texts are final once WM_INITDIALOG has returned: message boxes and the program's
// dialogs both put their run-time texts in place while handling it.
LRESULT CALLBACK AfterWindowProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        const auto* message = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
        if (message->message == WM_INITDIALOG && e2e::IsTopLevelDialog(message->hwnd))
            LogDialogEvent("open", message->hwnd);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK BeforeWindowProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (message->message == WM_DESTROY && e2e::IsTopLevelDialog(message->hwnd))
            LogDialogEvent("close", message->hwnd);
        else if (message->message == ListSystemMenuMessage())
            e2e::WriteWholeFile(e2e::kHookReplyPath,
                                e2e::DescribeSystemMenu(message->hwnd).Str());
        else if (message->message == DescribeIconsMessage())
            e2e::WriteWholeFile(e2e::kHookReplyPath,
                                e2e::DescribeIcons(message->hwnd,
                                                   static_cast<int>(message->wParam),
                                                   static_cast<int>(message->lParam))
                                    .Str());
        else if (message->message == DescribePictureMessage())
            e2e::WriteWholeFile(
                e2e::kHookReplyPath,
                e2e::DescribePicture(message->hwnd, static_cast<int>(message->wParam)).Str());
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK OnGetMessage(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        const auto* message = reinterpret_cast<const MSG*>(lParam);
        if (message->hwnd == nullptr && message->message == SettleMessage())
            SignalSettled(message->wParam);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Wine keeps a global hook after the thread that set it has ended, so a later robot in
// the same prefix would log every dialog twice: the robot removes its hooks when done.
HHOOK g_hooks[3] = {};

}  // namespace

// Returns 1 when all could be set; they stay until RemoveBoxHooks.
extern "C" __declspec(dllexport) int InstallBoxHooks() {
    g_hooks[0] = SetWindowsHookExW(WH_CALLWNDPROCRET, AfterWindowProc, g_module, 0);
    g_hooks[1] = SetWindowsHookExW(WH_CALLWNDPROC, BeforeWindowProc, g_module, 0);
    g_hooks[2] = SetWindowsHookExW(WH_GETMESSAGE, OnGetMessage, g_module, 0);
    return g_hooks[0] && g_hooks[1] && g_hooks[2] ? 1 : 0;
}

extern "C" __declspec(dllexport) void RemoveBoxHooks() {
    for (HHOOK& hook : g_hooks) {
        if (hook) UnhookWindowsHookEx(hook);
        hook = nullptr;
    }
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        DisableThreadLibraryCalls(instance);
        WatchEndDialog();
    }
    return TRUE;
}
