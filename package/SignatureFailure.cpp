#include "package/SignatureFailure.h"

namespace package {

namespace {
// The set-up API's own codes, and the trust provider's that it passes on.
constexpr uint32_t kSignatureErrors[] = {
    0xE000022F,  // ERROR_NO_CATALOG_FOR_OEM_INF
    0xE0000240,  // ERROR_AUTHENTICODE_DISALLOWED
    0xE0000242,  // ERROR_AUTHENTICODE_TRUST_NOT_ESTABLISHED
    0xE0000243,  // ERROR_AUTHENTICODE_PUBLISHER_NOT_TRUSTED
    0xE0000244,  // ERROR_SIGNATURE_OSATTRIBUTE_MISMATCH
    0xE0000245,  // ERROR_ONLY_VALIDATE_VIA_AUTHENTICODE
    0xE0000247,  // ERROR_DRIVER_STORE_ADD_FAILED (an untrusted package, non-interactive)
    0x800B0004,  // TRUST_E_SUBJECT_NOT_TRUSTED
    0x800B0100,  // TRUST_E_NOSIGNATURE
    0x800B0109,  // CERT_E_UNTRUSTEDROOT
    0x80096010,  // TRUST_E_BAD_DIGEST
};
}  // namespace

bool IsSignatureFailure(uint32_t error) {
    for (const uint32_t code : kSignatureErrors)
        if (code == error) return true;
    return false;
}

}  // namespace package
