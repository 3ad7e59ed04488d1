#pragma once
// What a person sees of a dialog, read from inside the process that owns it (where the
// box hook runs), as the JSON that the harness asserts on.

#include <windows.h>

#include "../common/JsonObject.h"

namespace e2e {

// A top-level window of the dialog class: message boxes and the program's dialogs.
bool IsTopLevelDialog(HWND window);
// Adds the caption, the owner's caption, the message-box text (static 0xFFFF) and icon
// when it is a message box, the style and the visible buttons.
void AddDialogFacts(HWND dialog, JsonObject& facts);
// The window's system menu: each item's command id and text, separators marked.
JsonObject DescribeSystemMenu(HWND window);

}  // namespace e2e
