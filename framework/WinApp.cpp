#include "framework/WinApp.h"

#include "sys/UiPort.h"

namespace framework {

namespace {

CWinApp* g_application = nullptr;

// The exit code of a program that defines no application object.
constexpr int kExitNoApplication = 1;

// "C:\dir\setup.exe" gives "setup".
std::string NameWithoutExtension(const std::string& path) {
    const std::string::size_type slash = path.find_last_of("\\/:");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::string::size_type dot = name.find_last_of('.');
    if (dot != std::string::npos) name.erase(dot);
    return name;
}

std::string ProgramFileName() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameA(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0) return std::string();
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);  // cut short: try again with more room
    }
}

}  // namespace

CWinApp::CWinApp(const char* appName) {
    if (appName != nullptr) m_appName = appName;
    g_application = this;
}

CWinApp::~CWinApp() {
    if (g_application == this) g_application = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::Run() {
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}

CWinApp* AfxGetApp() { return g_application; }

HINSTANCE AfxGetInstanceHandle() { return ::GetModuleHandleA(nullptr); }

const char* AfxGetAppName() {
    return g_application != nullptr ? g_application->m_appName.c_str() : "";
}

int AfxMessageBox(const char* text, UINT type) {
    static_assert(MB_ICONMASK == sys::kMbIconMask && MB_ICONEXCLAMATION == sys::kMbIconWarning,
                  "the style rule speaks of the platform's values");
    type = sys::AfxMessageBoxStyle(type);
    HWND owner = nullptr;
    if (g_application != nullptr && g_application->m_pMainWnd != nullptr)
        owner = g_application->m_pMainWnd->GetSafeHwnd();
    return ::MessageBoxA(owner, text, AfxGetAppName(), type);
}

void AfxEnableControlContainer() {}

int RunApplication(HINSTANCE instance) {
    CWinApp* app = AfxGetApp();
    if (app == nullptr) return kExitNoApplication;
    app->m_hInstance = instance;
    if (app->m_appName.empty()) app->m_appName = NameWithoutExtension(ProgramFileName());
    return app->InitInstance() ? app->Run() : 0;
}

}  // namespace framework
