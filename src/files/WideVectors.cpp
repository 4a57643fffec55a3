#include "files/WideVectors.h"

#include <cstddef>  // defines __GLIBC__

// The C library's own reading of the processor, where its header can be read: clang takes
// it for C, not C++.
#if defined(__x86_64__) && defined(__GLIBC__) && !defined(__clang__)
#if __GLIBC_PREREQ(2, 33)
#define QUORVEL_LIBC_CPU_FEATURES 1
#include <sys/platform/x86.h>
#endif
#endif

namespace quorvel {

bool WideVectorsAvailable() {
#if defined(QUORVEL_LIBC_CPU_FEATURES)
    // Found at start-up: no CPUID here, which a virtual machine traps.
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
