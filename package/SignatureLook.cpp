#include "package/SignatureLook.h"

#include "package/SignatureFailure.h"

namespace package {

namespace {
// An Authenticode signature whose publisher is in the Trusted Publishers store.
constexpr uint32_t kErrorAuthenticodeTrustedPublisher = 0xE0000241;
}  // namespace

SignatureLook LookAtSignature(sys::System& system, const std::string& fullInfPath) {
    if (system.SetupVerifyInfFile(fullInfPath)) return {SignatureSeen::Trusted, 0};
    const uint32_t error = system.GetLastError();
    if (error == kErrorAuthenticodeTrustedPublisher) return {SignatureSeen::Trusted, 0};
    if (error == sys::kErrorProcNotFound || error == sys::kErrorModNotFound)
        return {SignatureSeen::NotAsked, 0};
    return {IsSignatureFailure(error) ? SignatureSeen::NotTrusted : SignatureSeen::CannotTell,
            error};
}

}  // namespace package
