#pragma once
// What a person sees of a dialog, read from inside the process that owns it (where the
// box hook runs), as the JSON that the harness asserts on.

#include <windows.h>

#include "../common/JsonObject.h"

namespace e2e {

// A top-level window of the dialog class: message boxes and the program's dialogs.
bool IsTopLevelDialog(HWND window);
// Adds the caption, the owner's caption, the message-box text (static 0xFFFF) and icon
// when it is a message box, the style and the visible buttons (id, text, font height).
void AddDialogFacts(HWND dialog, JsonObject& facts);
// The window's system menu: each item's command id and text, separators marked.
JsonObject DescribeSystemMenu(HWND window);
// The window's big and small icons (controlId 0), or the icon that a static control
// shows: whether there is one, its size in pixels, and whether it is the program's own
// icon resource iconId as LoadIcon shares it (one handle per process).
JsonObject DescribeIcons(HWND window, int controlId, int iconId);
// The picture that a static control or a button shows: its size in pixels and the
// CRC-32 of its pixels as a 24-bit DIB, top row first.
JsonObject DescribePicture(HWND window, int controlId);

}  // namespace e2e
