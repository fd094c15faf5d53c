#pragma once
// CRC-32 as zlib and IEEE 802.3 compute it (reflected polynomial 0xEDB88320,
// initial value and final mask 0xFFFFFFFF), eight bytes per step.

#include <cstdint>
#include <span>

namespace tembric::store {

// Continues `crc` (the result of an earlier call, or 0 to start) over `bytes`.
std::uint32_t Crc32(std::span<const std::uint8_t> bytes, std::uint32_t crc = 0);

}  // namespace tembric::store
