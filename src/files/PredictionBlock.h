#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "model/ProjectData.h"

namespace tarnwick {

// The prediction options travel in an extension block right after a project file's data,
// where older readers never look (they ignore bytes after the data, and DataLength counts
// the data only). Little-endian: the magic "TWX1", a u16 payload length, the payload, then
// the CRC-32 of everything before it. The payload is u8 average, u8 interpolate, u8 air,
// f32 temperature, f32 humidity, f32 pressure; a longer one comes from a later version,
// which may add options after these, and its extra bytes are skipped.
inline constexpr std::size_t PredictionPayloadBytes = 15;

// The block for the options, or nothing at all when none is on, so that a plain project's
// file stays byte for byte what it always was.
std::vector<unsigned char> EncodePredictionBlock(const PredictionOptions& options);

// The options of the block at the start of `bytes`. No block, or one damaged in any way (a
// wrong magic, length or CRC, a flag other than 0 or 1, an atmosphere out of its range),
// gives every option off and the default atmosphere, without a word: the project itself
// still loads. So does a block that turns nothing on, as none such is ever written. Bytes
// after the block are ignored.
PredictionOptions DecodePredictionBlock(std::span<const unsigned char> bytes);

// The CRC-32 zlib's crc32 computes (IEEE polynomial, reflected, inverted before and after).
std::uint32_t Crc32(std::span<const unsigned char> bytes);

}  // namespace tarnwick
