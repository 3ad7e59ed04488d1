#pragma once
// CKELVARO80SeriesApp: the application object. Its InitInstance runs the main installer
// window modally and then lets the process end.

#include "framework/WinApp.h"

class CKELVARO80SeriesApp : public framework::CWinApp {
public:
    CKELVARO80SeriesApp();

    BOOL InitInstance() override;
};

extern CKELVARO80SeriesApp theApp;
