#pragma once
// A read-only look, before anything changes, at whether this PC trusts the signature of
// the driver package: the set-up API checks the INF against the catalog it names and the
// catalog's signer against the PC's certificate stores, installing nothing. 64-bit
// Windows stages only a package it trusts, so there a package it does not trust ends
// the run before the removal of earlier installations; 32-bit Windows may still take
// one, so there the staging decides, as before.

#include <cstdint>

#include "sys/System.h"

namespace package {

enum class SignatureSeen {
    Trusted,     // signed, and this PC trusts the signer
    NotTrusted,  // a signature failure (IsSignatureFailure): the staging would fail
    CannotTell,  // the look failed otherwise; the staging decides
    NotAsked,    // the system has no such call (Wine's set-up API)
};

struct SignatureLook {
    SignatureSeen seen = SignatureSeen::NotAsked;
    uint32_t error = 0;  // the look's error, for NotTrusted and CannotTell
};

// Looks at the INF of the package folder (a full path).
SignatureLook LookAtSignature(sys::System& system, const std::string& fullInfPath);

}  // namespace package
