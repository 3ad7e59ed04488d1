#pragma once
// Runs a script of commands against the windows of the prefix, as a user would work
// them, and logs what it saw, one JSON object per command.
//
// Verbs (ids and times in decimal or 0x hex; times in milliseconds):
//   hook                      set the box hooks (e2e_boxhook.dll beside the robot),
//                             removed again when the robot ends
//   start <program> [<dir> [<arguments>]]
//                             start a program, with <dir> as its current directory
//                             ("" for the robot's own) and <arguments> after its
//                             quoted name on its command line, as they are
//   wait <caption> [<ms>]     wait for a visible dialog with that caption; it becomes
//                             the current window (default 10000 ms)
//   gone [<ms>]               wait until the current window is destroyed
//   absent <caption> <ms>     fail if a dialog with that caption shows within the time
//   caption                   log the current window's caption
//   enabled                   log whether the current window takes input
//   text <id>                 log the text of a control of the current window
//   checked <id>              log the check state of a control
//   rect <id>                 log a control's rectangle in the current window's own
//                             pixels (as its snapshot shows them), the same of its
//                             client area and of the window's, and the window's size
//   click <id>                post BM_CLICK to a control, as a mouse click on it would
//   command <id>              post WM_COMMAND (BN_CLICKED) for a control to the window
//   syscommand <id>           post WM_SYSCOMMAND with that command
//                             (these three return once the window's thread has taken
//                             the message, when hook has run: see Settle)
//   press <id>                post a left mouse button press at a control's middle
//   release <id>              post the release of that button there
//                             (both return once the window's thread has taken them)
//   sysmenu                   log the current window's system menu (needs hook)
//   icons <id> <icon>         log the big and small icons of the current window (id 0)
//                             or the icon of a static control: size, and whether it is
//                             the program's own icon resource <icon> (needs hook)
//   picture <id>              log the picture that a static control or a button shows:
//                             its size and the CRC-32 of its pixels (needs hook)
//   foreground                make the current window the foreground window
//   keydown <key>...          press keys and keep them down
//   keyup <key>...            release keys
//   key <key>...              press and release each key in turn
//   keystate <key>...         log which of the keys are down
//   watch <id> [<ms>]         sample the current window every <ms> (default 500) from a
//                             thread while the script goes on: hung or not, answered
//                             within 1 s or not, and the text of control <id>
//   unwatch                   end the watch and log its samples
//   mouseclick <id> [<n>]     press and release the left mouse button over a control
//                             <n> times in quick succession (2: a double click), as
//                             hardware input (SendInput)
//   cover <x> <y> <w> <h> <ms>  hold a window of the robot over that part of the
//                             current window (its own pixels, as in a snapshot) for the
//                             time, then take it away: the part must be painted again
//   invalidate <x> <y> <w> <h>  paint that part of the current window (its own pixels)
//                             in the cover's colour from here and mark it for painting,
//                             as the system does when a part of a window must be
//                             drawn again: only the window's own painting removes it
//   attributes <path>         log a file's attributes as the system reports them to a
//                             32-bit program (-1 when it does not exist)
//   sleep <ms>
//   snapshot <name>           let the harness photograph the current window; waits
//   exit [<ms>]               wait for the started program to end; log its exit code
//                             (default 30000 ms)

#include <windows.h>

#include <string>
#include <vector>

#include "../common/JsonObject.h"
#include "Script.h"
#include "Watcher.h"

namespace e2e {

class Robot {
public:
    Robot(std::wstring logPath, std::wstring programDir);
    ~Robot();
    Robot(const Robot&) = delete;
    Robot& operator=(const Robot&) = delete;

    // Runs the commands in order and stops at the first that fails, after logging why.
    // True when every command ran.
    bool Run(const std::vector<Command>& commands);

private:
    using Handler = bool (Robot::*)(const Command&, JsonObject&, std::string&);
    struct Verb {
        const wchar_t* name;
        size_t minArgs;
        size_t maxArgs;
        Handler handler;
    };
    static const std::vector<Verb>& Verbs();

    bool Hook(const Command&, JsonObject&, std::string&);
    bool Start(const Command&, JsonObject&, std::string&);
    bool Wait(const Command&, JsonObject&, std::string&);
    bool Gone(const Command&, JsonObject&, std::string&);
    bool Absent(const Command&, JsonObject&, std::string&);
    bool Caption(const Command&, JsonObject&, std::string&);
    bool Enabled(const Command&, JsonObject&, std::string&);
    bool Text(const Command&, JsonObject&, std::string&);
    bool Checked(const Command&, JsonObject&, std::string&);
    bool Rect(const Command&, JsonObject&, std::string&);
    bool Click(const Command&, JsonObject&, std::string&);
    bool CommandVerb(const Command&, JsonObject&, std::string&);
    bool SysCommand(const Command&, JsonObject&, std::string&);
    bool Press(const Command&, JsonObject&, std::string&);
    bool Release(const Command&, JsonObject&, std::string&);
    bool SysMenu(const Command&, JsonObject&, std::string&);
    bool Icons(const Command&, JsonObject&, std::string&);
    bool Picture(const Command&, JsonObject&, std::string&);
    bool Foreground(const Command&, JsonObject&, std::string&);
    bool KeyDown(const Command&, JsonObject&, std::string&);
    bool KeyUp(const Command&, JsonObject&, std::string&);
    bool Key(const Command&, JsonObject&, std::string&);
    bool KeyState(const Command&, JsonObject&, std::string&);
    bool Watch(const Command&, JsonObject&, std::string&);
    bool Unwatch(const Command&, JsonObject&, std::string&);
    bool MouseClick(const Command&, JsonObject&, std::string&);
    bool Cover(const Command&, JsonObject&, std::string&);
    bool Invalidate(const Command&, JsonObject&, std::string&);
    bool Attributes(const Command&, JsonObject&, std::string&);
    bool Sleep(const Command&, JsonObject&, std::string&);
    bool Snapshot(const Command&, JsonObject&, std::string&);
    bool Exit(const Command&, JsonObject&, std::string&);

    // Waits until the thread of `window` has taken every message posted to it so far,
    // or the window is gone, or a few seconds have passed: what a posted action changes
    // is then in place for the next command. Needs the box hook.
    void Settle(HWND window, JsonObject& result);
    bool NeedCurrent(std::string& error) const;
    bool Control(const Command& command, HWND& control, JsonObject& result,
                 std::string& error) const;
    bool Number(const std::wstring& word, long& value, std::string& error) const;
    bool PostMouse(const Command& command, UINT message, WPARAM keys, JsonObject& result,
                   std::string& error);
    // Sends a registered message that the box hook answers from inside the window's
    // process, and reads its reply.
    bool AskHook(const wchar_t* message, WPARAM wParam, LPARAM lParam, std::string& reply,
                 std::string& error);
    // Every argument as a number, into values (room for as many as the verb takes).
    bool Numbers(const Command& command, long* values, std::string& error) const;

    std::wstring logPath_;
    std::wstring programDir_;
    HWND current_ = nullptr;
    HANDLE process_ = nullptr;
    bool hooked_ = false;
    // Holds the hooks, which the robot removes as it ends.
    HMODULE hookModule_ = nullptr;
    unsigned settleSequence_ = 0;
    Watcher watcher_;
};

}  // namespace e2e
