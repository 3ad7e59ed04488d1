#pragma once
// Who may touch what the installer makes for itself: the run lock and the log. The
// security calls live in advapi32, which the programs load from the system directory at
// run time (see SystemLibrary.h); where it cannot be had, every answer is a failure.

#include <cstdint>
#include <vector>

#include "sys/WindowsApi.h"

namespace sys {

// Security attributes whose DACL grants all access to the Administrators group and
// SYSTEM and to nobody else. Build fails (with the last error of the call that failed)
// when the descriptor cannot be made.
class AdministratorsAndSystemOnly {
public:
    AdministratorsAndSystemOnly() = default;
    AdministratorsAndSystemOnly(const AdministratorsAndSystemOnly&) = delete;
    AdministratorsAndSystemOnly& operator=(const AdministratorsAndSystemOnly&) = delete;

    bool Build();
    SECURITY_ATTRIBUTES* Attributes() { return &attributes_; }
    // The Administrators group's SID, once Build succeeded.
    PSID Administrators() { return administrators_.data(); }

private:
    std::vector<BYTE> administrators_;
    std::vector<BYTE> system_;
    std::vector<BYTE> acl_;
    SECURITY_DESCRIPTOR descriptor_{};
    SECURITY_ATTRIBUTES attributes_{};
};

// Whether the object's owner is the user that this process runs as, the Administrators
// group (which owns what an administrator makes on Windows XP) or SYSTEM (what a run as
// SYSTEM made): owners that no ordinary account can give a file. The handle needs
// READ_CONTROL.
bool OwnedByThisUserAdministratorsOrSystem(HANDLE object);

}  // namespace sys
