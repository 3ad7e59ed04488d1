#pragma once
// A broken property ends the run the way a crash does, so that the fuzzer keeps the
// input that broke it.

#include <cstdio>
#include <cstdlib>

namespace fuzz {

inline void Require(bool holds, const char* property) {
    if (holds) return;
    std::fprintf(stderr, "property broken: %s\n", property);
    std::abort();
}

}  // namespace fuzz
