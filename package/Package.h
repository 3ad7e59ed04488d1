#pragma once
// The driver package beside setup.exe: one folder per host class, each with the same
// seven driver files and an INF file. Paths are relative to the current directory,
// which the program never changes.

#include <array>
#include <string>

namespace package {

enum class Variant { Amd64, I386w7, I386 };

// The variant for the current platform flags: 64-bit first, then Windows 7/8 class.
Variant ChooseVariant();
const char* VariantFolder(Variant variant);

// The seven driver files, in the order they are verified and copied.
constexpr std::array<const char*, 7> kDriverFileNames = {
    "ZORQ80-Series.dll", "ZORQ80-Series.gpd", "UNIDRV.DLL",  "UNIDRV.HLP",
    "UNIDRVUI.DLL",      "UNIRES.DLL",        "STDNAMES.GPD",
};
constexpr const char* kInfFileName = "ZORQ80-Series.INF";

// ".\<folder>\<name>".
std::string SourcePath(Variant variant, const std::string& name);
std::string InfPath(Variant variant);

}  // namespace package
