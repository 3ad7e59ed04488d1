#pragma once
// Whether a failed staging of the driver package failed for its signature: no catalog,
// a catalog that does not cover the files or this Windows, or a publisher whose
// certificate this PC does not trust (as SYSTEM no prompt can ask). Such a PC needs the
// certificate, not another run.

#include <cstdint>

namespace package {

bool IsSignatureFailure(uint32_t error);

}  // namespace package
