#pragma once

namespace quorvel {

// Whether the processor runs 64-byte byte-vector instructions (AVX-512 BW) and the system
// saves their registers. Text scans that run over whole catalogues take them when they can.
bool WideVectorsAvailable();

}  // namespace quorvel
