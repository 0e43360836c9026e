// Writing the game's archives: a folder tree of files, each cut into chunks of
// 64 KiB that are packed side by side on every core and written in order.
//
// The archive is never enciphered (key 0). Its folders and files stand in
// name order, letter case ignored; names are Windows-1252 bytes. It is
// written to a temporary file beside its place and takes that place only when
// whole, so a failure (a full disk, a file that cannot be read) or a cancel
// leaves the folder as it was.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "archive/archive_format.h"

namespace qm {

using archive_format::PackMethod;

// zlib levels: 1 to 9 as zlib's own, 10 to 12 harder still; every level
// gives streams any zlib reads.
inline constexpr int kLeastPackLevel = 1, kDefaultPackLevel = 6, kMostPackLevel = 12;

struct PackOptions {
  PackMethod method = PackMethod::Zlib;
  int level = kDefaultPackLevel;  // for zlib chunks
  unsigned threads = 0;           // 0: one per core
};

// One file to pack.
struct PackInput {
  std::string path;                  // inside the archive: Windows-1252 bytes, '/' between folders
  std::filesystem::path from;        // the file on disk, read when its turn comes
  std::optional<std::string> bytes;  // or its bytes, when given
};

struct PackedFile {
  std::string path;
  std::uint64_t size = 0;    // its bytes
  std::uint64_t stored = 0;  // what it takes in the archive: chunk table and chunks
};

struct PackOutcome {
  std::vector<PackedFile> files;  // in the archive's order
  std::uint64_t bytesIn = 0, bytesOut = 0;
  std::optional<std::string> failure;  // why nothing was written
  bool cancelled = false;              // the progress call asked to stop; nothing was written
};

// Why `files` cannot go into one archive, or nothing: an empty path or path
// part, "." or "..", two paths that differ only in letter case (the game
// could not tell them apart), a file of the same name as a folder.
std::optional<std::string> packRefusal(const std::vector<PackInput>& files);

// Called as the packing goes, with the input bytes packed so far and in all;
// returning false stops it.
using PackProgress = std::function<bool(std::uint64_t done, std::uint64_t total)>;

// Writes the archive `out` holding `files` (packRefusal's refusals first).
PackOutcome packArchive(const std::filesystem::path& out, std::vector<PackInput> files, const PackOptions& options,
                        const PackProgress& progress = {});

// The files under `folder` for packArchive, named by their paths under it in
// Windows-1252. Why they cannot be packed instead, naming the path: a name
// Windows-1252 cannot hold, a symbolic link that leads out of `folder` or round
// in a loop, something that is neither a file nor a folder.
std::optional<std::string> filesToPack(const std::filesystem::path& folder, std::vector<PackInput>& out);

// Packs one chunk of at most 64 KiB as a stream of `method` (not Stored). A
// packer holds what one thread needs to pack chunks one after the other.
class ChunkPacker {
 public:
  ChunkPacker(PackMethod method, int level);
  ChunkPacker(const ChunkPacker&) = delete;
  ChunkPacker& operator=(const ChunkPacker&) = delete;
  ~ChunkPacker();

  // The packed stream of `plain` into `out` (replacing what it held).
  void pack(std::string_view plain, std::string& out);

 private:
  PackMethod method_;
  int level_;
  void* deflater_ = nullptr;
};

// One LZ77 stream of `plain` (at most 64 KiB), its end mark included.
std::string packLz77(std::string_view plain);

}  // namespace qm
