// The layout of the game's archives, shared by the reader and the tests'
// archive writer. Integers are little-endian; offsets count from the start of
// the archive file.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace qm::archive_format {

// The archive types: one format under five extensions, in the order the game
// searches them.
inline constexpr std::array<std::string_view, 5> kExtensions = {".gp3", ".gpf", ".ccx", ".ufo", ".hpi"};

// The header: 20 bytes, never enciphered.
inline constexpr std::uint32_t kMarker = 0x49504148;     // "HAPI"
inline constexpr std::uint32_t kVersion = 0x00010000;    // a game archive
inline constexpr std::uint32_t kSavedGame = 0x4B4E4142;  // "BANK"
inline constexpr std::size_t kHeaderSize = 20;
inline constexpr std::size_t kMarkerAt = 0, kVersionAt = 4, kDirectoryEndAt = 8, kKeyAt = 12, kDirectoryStartAt = 16;

// The directory. A folder record: its number of entries and where the first
// one is. An entry: where its name is (NUL-terminated), where its data is (a
// folder record or a file record), and whether it is a folder.
inline constexpr std::size_t kFolderSize = 8;
inline constexpr std::size_t kFolderCountAt = 0, kFolderFirstAt = 4;
inline constexpr std::size_t kEntrySize = 9;
inline constexpr std::size_t kEntryNameAt = 0, kEntryDataAt = 4, kEntryIsFolderAt = 8;
// A file record: where its content is, its unpacked size and how it is packed.
inline constexpr std::size_t kFileRecordSize = 9;
inline constexpr std::size_t kFileContentAt = 0, kFileSizeAt = 4, kFileMethodAt = 8;

enum class PackMethod : std::uint8_t { Stored = 0, Lz77 = 1, Zlib = 2 };
inline constexpr bool isPackMethod(unsigned value) { return value <= static_cast<unsigned>(PackMethod::Zlib); }

// Packed content: a table of one u32 per chunk (its header and stored bytes),
// then the chunks, each unpacking to at most kChunkOutput bytes.
inline constexpr std::uint32_t kChunkOutput = 65536;
inline constexpr std::size_t kChunkTableEntrySize = 4;
inline constexpr std::uint64_t chunkCount(std::uint64_t size) { return (size + kChunkOutput - 1) / kChunkOutput; }

inline std::uint32_t getU32(const char* p) {
  const auto* b = reinterpret_cast<const unsigned char*>(p);
  return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}
inline void putU32(char* p, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<char>(value >> (8 * i));
}

// The header in front of each chunk's stored bytes.
struct ChunkHeader {
  static constexpr std::uint32_t kMarker = 0x48535153;  // "SQSH"
  static constexpr std::size_t kSize = 19;

  std::uint32_t marker = kMarker;
  std::uint8_t version = 2;
  std::uint8_t method = 0;  // a PackMethod when isPackMethod(method)
  bool enciphered = false;
  std::uint32_t storedLength = 0;
  std::uint32_t unpackedLength = 0;
  std::uint32_t checksum = 0;  // the sum of the stored bytes

  static ChunkHeader read(const char* p) {
    return {getU32(p),
            static_cast<std::uint8_t>(p[4]),
            static_cast<std::uint8_t>(p[5]),
            p[6] != 0,
            getU32(p + 7),
            getU32(p + 11),
            getU32(p + 15)};
  }
  void write(char* p) const {
    putU32(p, marker);
    p[4] = static_cast<char>(version), p[5] = static_cast<char>(method), p[6] = static_cast<char>(enciphered);
    putU32(p + 7, storedLength), putU32(p + 11, unpackedLength), putU32(p + 15, checksum);
  }
};

// The most stored bytes a chunk of `unpacked` bytes needs: LZ77 spends one tag
// byte per eight literals, zlib less; a little more for the end mark and the
// stream's own header and checksum.
inline constexpr std::uint64_t mostStoredFor(std::uint64_t unpacked) { return unpacked + unpacked / 8 + 64; }

}  // namespace qm::archive_format
