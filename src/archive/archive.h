// The game's archives (.hpi, .ufo, .ccx, .gp3, .gpf): a folder tree of files,
// each stored plain, LZ77-packed or zlib-packed, optionally enciphered.
//
// Opening an archive reads only its header and directory; a file's content is
// read when it is unpacked. Every offset, length and count is checked against
// the archive before it is used, so a damaged archive gives a reason
// ("damaged archive: ...") and never a crash, a hang or an allocation larger
// than what the archive could unpack to. Nothing here throws. An archive
// opened from disk shares one file handle between its reads: use it from one
// thread at a time.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qm {

// Random access to the bytes of an archive.
class ArchiveBytes {
 public:
  virtual ~ArchiveBytes() = default;
  virtual std::uint64_t size() const = 0;
  // Reads `n` bytes at `offset` (inside size()) into `out`; false with a reason
  // when the read fails.
  virtual bool ReadAt(std::uint64_t offset, std::size_t n, char* out, std::string& reason) const = 0;
};

// An archive file on disk, kept open. Null, with a reason, for a missing file,
// a folder, a pipe or a device (refused without blocking on it).
std::shared_ptr<const ArchiveBytes> OpenArchiveFile(const std::filesystem::path& path, std::string& reason);
// An archive held in memory.
std::shared_ptr<const ArchiveBytes> ArchiveInMemory(std::string bytes);

enum class PackMethod : std::uint8_t { Stored = 0, Lz77 = 1, Zlib = 2 };
// "none", "lz77" or "zlib".
std::string_view MethodName(PackMethod method);

struct ArchiveMember {
  std::string path;           // folder names and the file name, joined by '/'
  std::uint32_t size = 0;     // unpacked size in bytes
  PackMethod method = PackMethod::Stored;
  std::uint32_t content = 0;  // offset of the content in the archive
};

class Archive {
 public:
  // Reads the header and the directory. Null, with a reason, when the archive
  // is damaged or cannot be read.
  static std::shared_ptr<const Archive> Open(std::shared_ptr<const ArchiveBytes> bytes, std::string& reason);
  static std::shared_ptr<const Archive> Open(const std::filesystem::path& path, std::string& reason);

  // The files in the archive's own order (each folder's entries as listed,
  // folders entered where they stand).
  const std::vector<ArchiveMember>& members() const { return members_; }

  // The file at `path` ('/' or '\' between folders), letter case ignored; the
  // first in archive order when two match. Null when there is none.
  const ArchiveMember* Find(std::string_view path) const;

  // Unpacks a member into `out` (replacing what it held). False with a reason
  // when its content is damaged.
  bool Unpack(const ArchiveMember& member, std::string& out, std::string& reason) const;

 private:
  Archive() = default;
  bool ReadDirectory(std::string& reason);
  // Reads `n` bytes at `offset`, outer cipher removed.
  bool ReadPlain(std::uint64_t offset, std::size_t n, char* out, std::string& reason) const;
  bool UnpackChunks(const ArchiveMember& member, std::string& out, std::string& reason) const;

  std::shared_ptr<const ArchiveBytes> bytes_;
  std::uint8_t cipher_ = 0;  // 0: nothing enciphered
  std::uint32_t dirStart_ = 0, dirEnd_ = 0;
  std::string directory_;  // the deciphered bytes from dirStart_ to dirEnd_
  std::vector<ArchiveMember> members_;
  std::unordered_map<std::string, std::size_t> byFoldedPath_;
};

}  // namespace qm
