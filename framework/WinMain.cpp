// The program's entry point belongs to the framework: the application object of the
// program does the rest (see WinApp.h).

#include "framework/WinApp.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return framework::RunApplication(instance);
}
