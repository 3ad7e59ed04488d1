#pragma once
// Texts that more than one step of an install run shows.

namespace setup {

inline constexpr const char* kInfoCaption = "信息提示";
inline constexpr const char* kInstallFailedText = "打印机安装失败，取消安装!";
inline constexpr const char* kConnectUsbText =
    "请接入USB线(已经接好则重开打印机)，\n系统会自动安装打印机！";
inline constexpr const char* kProcessStartFailedText = "创建安装进程失败，取消安装！";
inline constexpr const char* kUnexpectedErrorText = "安装出现意外错误，取消安装！";

}  // namespace setup
