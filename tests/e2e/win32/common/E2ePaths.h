#pragma once
// Fixed places in the test prefix where the test programs meet the harness. The harness
// creates C:\e2e before it starts anything and reads these files afterwards.

namespace e2e {

// Every dialog that any process of the prefix shows, one JSON object per line.
constexpr const wchar_t* kBoxLogPath = L"C:\\e2e\\boxes.jsonl";
// One file per start of the recording rundll32.
constexpr const wchar_t* kCommandsDir = L"C:\\e2e\\commands";
// The printer-setup double in that rundll32: switched on by its script (written by the
// test), which also says which driver files a model has and which command fails; one
// JSON object per command that it carried out.
constexpr const wchar_t* kPrintUiScriptPath = L"C:\\e2e\\printui.txt";
constexpr const wchar_t* kPrintUiLogPath = L"C:\\e2e\\printui.jsonl";
// The test's newdev.dll: what the devices of the prefix are (written by the test), and
// one JSON object per call that reached it.
constexpr const wchar_t* kDeviceScriptPath = L"C:\\e2e\\devices.txt";
constexpr const wchar_t* kDeviceLogPath = L"C:\\e2e\\devices.jsonl";
// The box hook's answer to the robot's last question about a window.
constexpr const wchar_t* kHookReplyPath = L"C:\\e2e\\hook-reply.json";
// Every load of a marker library (win32/marker), one JSON object per line.
constexpr const wchar_t* kLoadedMarkersPath = L"C:\\e2e\\markers.jsonl";
// Screenshot requests of the robot and the harness's answers.
constexpr const wchar_t* kSyncDir = L"C:\\e2e\\sync";

// Posted by the robot to a thread after the messages of an action; the box hook in that
// thread's process sets the event named kSettledEventPrefix and the marker's wParam when
// the thread takes the marker off its queue, so every message posted before it has
// been handled by then.
constexpr const wchar_t* kSettleMessage = L"e2e.Settle";
constexpr const wchar_t* kSettledEventPrefix = L"e2e.Settled.";

// Sent by the robot to a window of another process: the box hook in that process writes
// the window's system menu to kHookReplyPath before the send returns.
constexpr const wchar_t* kListSystemMenuMessage = L"e2e.ListSystemMenu";
// Likewise for icons: wParam names a control (0: the window itself), lParam the
// program's icon resource to compare with; the reply goes to kHookReplyPath.
constexpr const wchar_t* kDescribeIconsMessage = L"e2e.DescribeIcons";
// And for the picture that a control shows: wParam names the control.
constexpr const wchar_t* kDescribePictureMessage = L"e2e.DescribePicture";

}  // namespace e2e
