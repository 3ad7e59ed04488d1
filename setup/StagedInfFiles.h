#pragma once
// The INF files that the system staged in its own INF folder, every oem<number>.inf of
// it: a PC may hold far more than a hundred, and Windows need not live on drive C.

#include <string>
#include <vector>

#include "sys/System.h"

namespace setup {

// The system's INF folder, GetSystemWindowsDirectory's answer and "\inf\" (in a Remote
// Desktop session GetWindowsDirectory may answer a folder of the user's); false when
// the system does not tell it.
bool SystemInfDirectory(sys::System& system, std::string& infDirectory);

// The names oem<number>.inf in the folder (the folder with its closing backslash), in
// the order of their numbers; false when the folder cannot be searched.
bool ListStagedInfFiles(sys::System& system, const std::string& infDirectory,
                        std::vector<std::string>& names);

}  // namespace setup
