#pragma once
// Texts that more than one step of an install run shows.

namespace setup {

inline constexpr const char* kInfoCaption = "信息提示";
inline constexpr const char* kInstallFailedText = "打印机安装失败，取消安装!";
inline constexpr const char* kConnectUsbText =
    "请接入USB线(已经接好则重开打印机)，\n系统会自动安装打印机！";
inline constexpr const char* kProcessStartFailedText = "创建安装进程失败，取消安装！";
inline constexpr const char* kUnexpectedErrorText = "安装出现意外错误，取消安装！";

// What keeps this PC from the printer, told before anything changes.
inline constexpr const char* kSpoolerNotRunningText =
    "打印后台处理程序服务未运行，无法安装打印机。\n"
    "请在“服务”中启动“Print Spooler”服务，然后重新运行本程序。";
inline constexpr const char* kProtectedPrintText =
    "此电脑已启用 Windows 受保护的打印模式，该模式不允许安装第三方打印机驱动程序。\n"
    "请联系系统管理员。";
inline constexpr const char* kProcessorText =
    "此电脑的处理器需要本安装包未提供的驱动程序，无法在此电脑上安装打印机。";
inline constexpr const char* kAdministratorText =
    "安装打印机需要管理员权限。\n"
    "请右键单击本程序，选择“以管理员身份运行”。";

}  // namespace setup
