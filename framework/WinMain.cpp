// The program's entry point belongs to the framework: the application object of the
// program does the rest (see WinApp.h).

#include "framework/WinApp.h"
#include "sys/SystemLibrary.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    sys::RestrictDllSearch();
    return framework::RunApplication(instance);
}
