#include "files/PredictionBlock.h"

#include <array>
#include <bit>
#include <cstring>

#include "model/ProjectRules.h"

namespace tarnwick {

namespace {

static_assert(std::endian::native == std::endian::little, "project files are little-endian");

constexpr char Magic[4] = {'T', 'W', 'X', '1'};
constexpr std::size_t LengthAt = sizeof Magic, PayloadAt = LengthAt + 2, CrcBytes = 4;

template <typename T>
T Take(const unsigned char* at) {
  T value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

template <typename T>
void Append(std::vector<unsigned char>& bytes, T value) {
  unsigned char raw[sizeof value];
  std::memcpy(raw, &value, sizeof value);
  bytes.insert(bytes.end(), raw, raw + sizeof value);
}

constexpr std::array<std::uint32_t, 256> CrcTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}

}  // namespace

std::uint32_t Crc32(std::span<const unsigned char> bytes) {
  static constexpr std::array<std::uint32_t, 256> table = CrcTable();
  std::uint32_t c = 0xFFFFFFFFu;
  for (const unsigned char byte : bytes) c = table[(c ^ byte) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

std::vector<unsigned char> EncodePredictionBlock(const PredictionOptions& o) {
  if (!o.AnyOn()) return {};
  std::vector<unsigned char> block(Magic, Magic + sizeof Magic);
  Append<std::uint16_t>(block, PredictionPayloadBytes);
  for (const bool flag : {o.Average, o.Interpolate, o.Air}) block.push_back(flag ? 1 : 0);
  for (const float value : {o.Temperature, o.Humidity, o.Pressure}) Append(block, value);
  Append(block, Crc32(block));
  return block;
}

PredictionOptions DecodePredictionBlock(std::span<const unsigned char> bytes) {
  // 1. The frame: magic, a length no shorter than the payload known here, and the CRC.
  if (bytes.size() < PayloadAt || std::memcmp(bytes.data(), Magic, sizeof Magic) != 0) return {};
  const std::size_t length = Take<std::uint16_t>(bytes.data() + LengthAt);
  if (length < PredictionPayloadBytes || bytes.size() - PayloadAt < length + CrcBytes) return {};
  const auto framed = bytes.first(PayloadAt + length);
  if (Take<std::uint32_t>(bytes.data() + framed.size()) != Crc32(framed)) return {};
  // 2. The payload known here, checked whole before any of it counts.
  const unsigned char* payload = bytes.data() + PayloadAt;
  if (payload[0] > 1 || payload[1] > 1 || payload[2] > 1) return {};
  PredictionOptions o;
  o.Average = payload[0] == 1;
  o.Interpolate = payload[1] == 1;
  o.Air = payload[2] == 1;
  o.Temperature = Take<float>(payload + 3);
  o.Humidity = Take<float>(payload + 7);
  o.Pressure = Take<float>(payload + 11);
  return o.AnyOn() && AtmosphereInRange(o) ? o : PredictionOptions{};
}

}  // namespace tarnwick
