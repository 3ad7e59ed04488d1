#pragma once
// The Windows headers as the framework uses them. <windows.h> maps many function names
// to their A or W form by macro, and those macros would rename the framework's members
// of the same names (CWnd::MessageBox would become CWnd::MessageBoxA in some files and
// not in others). This file drops exactly the macros that collide with a member name;
// the framework calls the ANSI functions by their A names, as the program does
// throughout.

#include <windows.h>

#undef CreateFont
#undef DrawText
#undef LoadBitmap
#undef MessageBox
#undef PostMessage
#undef SendMessage
#undef SetWindowText
