#include "files/WideVectors.h"

#include <cstddef>  // defines __GLIBC__

#if defined(__x86_64__) && defined(__GLIBC__) && !defined(__clang__)
#include <sys/platform/x86.h>
#endif

namespace quorvel {

bool WideVectorsAvailable() {
#if defined(__x86_64__) && defined(__GLIBC__) && !defined(__clang__)
    // What the C library found at start-up: no CPUID here, which a virtual machine traps.
    static const bool available = CPU_FEATURE_ACTIVE(AVX512BW);
    return available;
#elif defined(__x86_64__)
    static const bool available = __builtin_cpu_supports("avx512bw");
    return available;
#else
    return false;
#endif
}

}  // namespace quorvel
