#pragma once
// The Windows headers for code that also sees sys::System. The headers map many names
// to their A or W form by macro (CopyFile, CreateProcess, FormatMessage, ...), and those
// macros would rename the seam's methods of the same names in any file that includes
// both. This file includes the headers and drops exactly those macros; such code calls
// the ANSI functions by their A names, as the program does throughout.

#include <windows.h>

#include <setupapi.h>
#include <newdev.h>
#include <shlwapi.h>
#include <winspool.h>

#undef CopyFile
#undef CreateBoundaryDescriptor
#undef CreateDirectory
#undef CreateMutex
#undef CreatePrivateNamespace
#undef CreateProcess
#undef DeleteFile
#undef DiInstallDriver
#undef EnumPrinterDrivers
#undef EnumPrinters
#undef FindFirstFile
#undef FormatMessage
#undef GetCurrentDirectory
#undef GetFileAttributes
#undef GetFullPathName
#undef GetModuleFileName
#undef GetPrinterDriverDirectory
#undef GetSystemDirectory
#undef GetSystemWindowsDirectory
#undef GetTempPath
#undef GetVersionEx
#undef GetWindowsDirectory
#undef OpenPrivateNamespace
#undef PathFileExists
#undef QueryServiceConfig
#undef RegDeleteKey
#undef RegSetValueEx
#undef SetCurrentDirectory
#undef SetFileAttributes
#undef SetupCopyOEMInf
#undef SetupUninstallOEMInf
#undef SetupVerifyInfFile
#undef UpdateDriverForPlugAndPlayDevices
