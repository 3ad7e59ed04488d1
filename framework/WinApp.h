#pragma once
// The application object and the framework's application-wide calls.
//
// A program defines exactly one global object of a class derived from CWinApp. Its
// construction during static initialisation registers it; the framework's WinMain then
// names the application and calls InitInstance. A dialog application does all its work
// there and returns FALSE, and the process ends with exit code 0. TRUE keeps the thread
// in a message loop (Run) until WM_QUIT, whose exit code the process then returns.

#include <string>

#include "framework/WindowsHeaders.h"
#include "framework/Wnd.h"

namespace framework {

class CWinApp {
public:
    // The application name is the program file's name without its extension unless a
    // name is given here.
    explicit CWinApp(const char* appName = nullptr);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance();
    virtual int Run();

    // The window that owns message boxes and dialogs made without an owner of their own.
    CWnd* m_pMainWnd = nullptr;
    HINSTANCE m_hInstance = nullptr;
    std::string m_appName;
};

// The registered application object; null before its construction and after its
// destruction.
CWinApp* AfxGetApp();
// The module that holds the program's resources: the program file itself.
HINSTANCE AfxGetInstanceHandle();
// The application name, or an empty text when there is no application object.
const char* AfxGetAppName();

// A message box with the application name as caption, owned by the main window. A type
// that names no icon gets the warning icon (MB_ICONEXCLAMATION).
int AfxMessageBox(const char* text, UINT type = MB_OK);

// Makes the program able to host ActiveX controls. Windows' own dialog manager creates
// every control that this program's templates hold, so there is nothing to set up: the
// call only stands at the place where a program declares that it may host controls.
void AfxEnableControlContainer();

// The framework's start of the program, called by its WinMain.
int RunApplication(HINSTANCE instance);

}  // namespace framework
