#include "sys/SecurityIdentity.h"

#include <aclapi.h>

#include "sys/ScopedWin32.h"
#include "sys/SystemLibrary.h"

namespace sys {

namespace {

SystemLibrary advapi32("advapi32.dll");

bool WellKnownSid(WELL_KNOWN_SID_TYPE type, std::vector<BYTE>& sid) {
    const auto createWellKnownSid =
        advapi32.Find<decltype(&::CreateWellKnownSid)>("CreateWellKnownSid");
    if (createWellKnownSid == nullptr) return false;
    DWORD size = SECURITY_MAX_SID_SIZE;
    sid.assign(size, 0);
    return createWellKnownSid(type, nullptr, sid.data(), &size) != FALSE;
}

// The SID of the user that the process token names, into sid.
bool ProcessUserSid(std::vector<BYTE>& sid) {
    const auto openProcessToken =
        advapi32.Find<decltype(&::OpenProcessToken)>("OpenProcessToken");
    const auto getTokenInformation =
        advapi32.Find<decltype(&::GetTokenInformation)>("GetTokenInformation");
    const auto copySid = advapi32.Find<decltype(&::CopySid)>("CopySid");
    const auto getLengthSid = advapi32.Find<decltype(&::GetLengthSid)>("GetLengthSid");
    if (openProcessToken == nullptr || getTokenInformation == nullptr || copySid == nullptr ||
        getLengthSid == nullptr)
        return false;
    HANDLE token = nullptr;
    if (!openProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    const ScopedHandle tokenOwner(token);
    DWORD needed = 0;
    getTokenInformation(token, TokenUser, nullptr, 0, &needed);
    if (needed < sizeof(TOKEN_USER)) return false;
    std::vector<BYTE> buffer(needed);
    if (!getTokenInformation(token, TokenUser, buffer.data(), needed, &needed)) return false;
    const PSID user = reinterpret_cast<const TOKEN_USER*>(buffer.data())->User.Sid;
    const DWORD length = getLengthSid(user);
    sid.assign(length, 0);
    return copySid(length, sid.data(), user) != FALSE;
}

}  // namespace

bool AdministratorsAndSystemOnly::Build() {
    const auto initializeAcl = advapi32.Find<decltype(&::InitializeAcl)>("InitializeAcl");
    const auto addAccessAllowedAce =
        advapi32.Find<decltype(&::AddAccessAllowedAce)>("AddAccessAllowedAce");
    const auto initializeSecurityDescriptor =
        advapi32.Find<decltype(&::InitializeSecurityDescriptor)>("InitializeSecurityDescriptor");
    const auto setSecurityDescriptorDacl =
        advapi32.Find<decltype(&::SetSecurityDescriptorDacl)>("SetSecurityDescriptorDacl");
    if (initializeAcl == nullptr || addAccessAllowedAce == nullptr ||
        initializeSecurityDescriptor == nullptr || setSecurityDescriptorDacl == nullptr)
        return false;
    if (!WellKnownSid(WinBuiltinAdministratorsSid, administrators_) ||
        !WellKnownSid(WinLocalSystemSid, system_))
        return false;

    // Two access-allowed entries, each a header and a SID in place of its SidStart.
    const DWORD aclSize = static_cast<DWORD>(
        sizeof(ACL) + 2 * (sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD)) +
        administrators_.size() + system_.size());
    acl_.assign(aclSize, 0);
    PACL acl = reinterpret_cast<PACL>(acl_.data());
    if (!initializeAcl(acl, aclSize, ACL_REVISION) ||
        !addAccessAllowedAce(acl, ACL_REVISION, GENERIC_ALL, administrators_.data()) ||
        !addAccessAllowedAce(acl, ACL_REVISION, GENERIC_ALL, system_.data()) ||
        !initializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) ||
        !setSecurityDescriptorDacl(&descriptor_, TRUE, acl, FALSE))
        return false;
    attributes_.nLength = sizeof(attributes_);
    attributes_.lpSecurityDescriptor = &descriptor_;
    attributes_.bInheritHandle = FALSE;
    return true;
}

bool OwnedByThisUserAdministratorsOrSystem(HANDLE object) {
    const auto getSecurityInfo = advapi32.Find<decltype(&::GetSecurityInfo)>("GetSecurityInfo");
    const auto equalSid = advapi32.Find<decltype(&::EqualSid)>("EqualSid");
    if (getSecurityInfo == nullptr || equalSid == nullptr) return false;
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (getSecurityInfo(object, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                        nullptr, nullptr, &descriptor) != ERROR_SUCCESS)
        return false;
    const ScopedLocalMemory descriptorOwner(descriptor);
    if (owner == nullptr) return false;
    std::vector<BYTE> sid;
    if (ProcessUserSid(sid) && equalSid(owner, sid.data())) return true;
    for (const WELL_KNOWN_SID_TYPE trusted : {WinBuiltinAdministratorsSid, WinLocalSystemSid})
        if (WellKnownSid(trusted, sid) && equalSid(owner, sid.data())) return true;
    return false;
}

}  // namespace sys
