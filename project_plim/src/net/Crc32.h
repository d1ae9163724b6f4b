#pragma once
// CRC-32 (IEEE 802.3, reflected), the value zlib's crc32 gives, folded with
// carry-less multiplication where the processor has it and taken eight bytes
// a step elsewhere: both sides check every data datagram whole, so this is on
// the data path of each piece.
#include <cstddef>
#include <cstdint>

namespace Crc32 {
// Continues crc (0 to start) over count bytes.
uint32_t update(uint32_t crc, const uint8_t* bytes, size_t count);
} // namespace Crc32
