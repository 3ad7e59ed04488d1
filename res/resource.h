/* Identifiers of the installer's resources, grouped by the dialog that uses them.
   Shared by setup.rc and the C++ sources, so plain #defines only. */
#ifndef RT450_RESOURCE_H
#define RT450_RESOURCE_H

/* Main installer window */
#define IDD_MAIN                 102
#define IDS_ABOUT_MENU           101
#define IDI_APP                  128
#define IDB_INSTALL_BUTTON       131
#define IDB_BACKGROUND_TEMPLATE  140
#define IDB_BACKGROUND           149
#define IDC_INSTALL              1000
#define IDC_BACKGROUND           1002
/* Made at run time while an install run is under way; no template names it. */
#define IDC_PROGRESS             1007
/* A system-menu command: the platform keeps the low four bits of such commands for
   itself, so the value is a multiple of 16 below 0xF000. */
#define IDM_ABOUTBOX             0x0010

/* About box */
#define IDD_ABOUTBOX             100
#define IDC_ABOUT_VERSION        1003
#define IDC_ABOUT_NOTICE         1004
#define IDC_ABOUT_ICON           1005

/* Port choice dialog */
#define IDB_PORT_QUESTION        136
#define IDD_PORT                 137
#define IDC_PORT_BUTTON          1002
#define IDC_PORT_EDIT1           1003
#define IDC_PORT_EDIT2           1004
#define IDC_PARALLEL_BUTTON      1005
#define IDC_PARALLEL_CHECK       1006

/* Controls that no code addresses */
#ifndef IDC_STATIC
#define IDC_STATIC               (-1)
#endif

#endif
