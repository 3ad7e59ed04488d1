#include "package/Staging.h"

#include <cstdio>

#include "package/Package.h"

namespace package {

namespace {
const char* const kMissingFileCaption = "安装文件受损：找不到文件";
constexpr uint32_t kPauseMilliseconds = 100;
}  // namespace

std::string ErrorText(sys::System& system, uint32_t code) {
    std::string text = system.FormatMessage(code);
    if (!text.empty()) return text;
    char number[48];
    std::snprintf(number, sizeof number, "%lu (0x%08lX)", static_cast<unsigned long>(code),
                  static_cast<unsigned long>(code));
    return number;
}

int VerifyPackageFiles(sys::System& system, sys::UiPort& ui) {
    const Variant variant = ChooseVariant();
    for (const char* name : kDriverFileNames) {
        const std::string source = SourcePath(variant, name);
        if (!system.PathFileExists(source)) {
            ui.MessageBox(source, kMissingFileCaption, sys::kMbIconInformation);
            return 0;
        }
    }
    return 1;
}

int StageDriverFiles(sys::System& system, sys::UiPort& ui, const std::string& stagingDir) {
    const Variant variant = ChooseVariant();
    if (!system.PathFileExists(stagingDir)) {
        // Creates the last component only; when that fails the first copy says why.
        system.CreateDirectory(stagingDir);
        ui.MessageBox(stagingDir, kInstallErrorCaption, sys::kMbIconInformation);
    }
    for (const char* name : kDriverFileNames) {
        // Built whole, never truncated: a path too long for the system fails its copy
        // with the system's own reason.
        const std::string target = stagingDir + "\\" + name;
        if (system.PathFileExists(target)) system.DeleteFile(target);
        system.Sleep(kPauseMilliseconds);
        // A target that could not be deleted stays as it is and counts as handled.
        if (!system.PathFileExists(target)) {
            if (!system.CopyFile(SourcePath(variant, name), target, false)) {
                const uint32_t error = system.GetLastError();
                ui.MessageBox(ErrorText(system, error), kInstallErrorCaption,
                              sys::kMbIconInformation);
                return 0;
            }
            // A failed query reads as all bits set, read-only included, so the
            // attributes are reset then too.
            if (system.GetFileAttributes(target) & sys::kFileAttributeReadonly)
                system.SetFileAttributes(target, sys::kFileAttributeNormal);
        }
        system.Sleep(kPauseMilliseconds);
    }
    return 1;
}

}  // namespace package

