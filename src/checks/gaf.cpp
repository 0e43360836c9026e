#include "checks/gaf.h"

#include <cstdint>
#include <cstring>

namespace qm {

namespace {

constexpr std::uint32_t kVersion = 0x00010100;
constexpr std::size_t kHeaderSize = 12;
constexpr std::size_t kNameSize = 32;
constexpr std::size_t kRecordSize = 8 + kNameSize;  // before its frame pairs

std::uint32_t u32(std::string_view b, std::size_t at) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}

std::uint16_t u16(std::string_view b, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8);
}

bool damaged(std::string& reason, const std::string& what) {
  reason = "damaged animation file: " + what;
  return false;
}

}  // namespace

bool readGafSequenceNames(std::string_view bytes, std::vector<std::string>& names, std::string& reason) {
  names.clear();
  if (bytes.size() < kHeaderSize) return damaged(reason, "too short for its header");
  if (u32(bytes, 0) != kVersion) return damaged(reason, "not version 0x00010100");
  const std::uint32_t entries = u32(bytes, 4);
  // Sizes are compared in 64 bits: no count or offset can wrap.
  if (kHeaderSize + std::uint64_t{entries} * 4 > bytes.size())
    return damaged(reason, std::to_string(entries) + " sequences do not fit in the file");
  names.reserve(entries);
  for (std::uint32_t i = 0; i < entries; ++i) {
    const std::uint64_t at = u32(bytes, kHeaderSize + std::size_t{i} * 4);
    if (at + kRecordSize > bytes.size())
      return damaged(reason, "sequence " + std::to_string(i + 1) + " lies past the end");
    const std::uint16_t frames = u16(bytes, at);
    if (at + kRecordSize + std::uint64_t{frames} * 8 > bytes.size())
      return damaged(reason, "the pictures of sequence " + std::to_string(i + 1) + " run past the end");
    const char* name = bytes.data() + at + 8;
    const void* end = std::memchr(name, 0, kNameSize);
    if (!end) return damaged(reason, "the name of sequence " + std::to_string(i + 1) + " has no end");
    names.emplace_back(name, static_cast<const char*>(end));
  }
  return true;
}

}  // namespace qm
