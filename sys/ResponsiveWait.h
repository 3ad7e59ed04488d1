#pragma once
// Waiting on the user-interface thread without leaving its windows for dead. While the
// thread waits it answers the messages that other threads and programs send to its
// windows and repaints what needs painting, so that the system never takes a window
// for hung during a pause of the install run. It takes nothing out of the message
// queue: posted messages, input and a pending quit all stay for the next message loop,
// exactly as after a plain Sleep or WaitForSingleObject.

#include <windows.h>

namespace sys {

// Returns after the milliseconds given, never sooner.
void SleepResponsively(DWORD milliseconds);

// Waits for the object without a time limit; the result of WaitForSingleObject.
DWORD WaitResponsively(HANDLE object);

// For long work on the thread between waits (a search through a large file), called
// often: answers the windows as a wait would, when that is due.
void AnswerWindowsWhenDue();

}  // namespace sys
