// The game's archives (.hpi, .ufo, .ccx, .gp3, .gpf): a folder tree of files,
// each stored plain, LZ77-packed or zlib-packed, optionally enciphered.
//
// Opening an archive reads only its header and the parts of its directory
// that its entries use; a file's content is read when it is unpacked. Every
// offset, length and count is checked against the archive before it is used,
// so a damaged archive gives a reason ("damaged archive: ...") and never a
// crash, a hang or an allocation larger than what the archive could unpack
// to: a path is at most kMostPathBytes long, all paths together at most a
// fixed multiple of the directory, a chunk's stored bytes at most what its
// output could need. Nothing here throws. Use one archive from one thread at
// a time.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "archive/archive_format.h"

namespace qm {

using archive_format::PackMethod;
// The archive types, in the order the game searches them.
inline constexpr const auto& kArchiveExtensions = archive_format::kExtensions;
// The extensions joined by `separator`, each after `before`: ".gp3, .gpf, ..."
// for a message, "*.gp3;*.gpf;..." for a file filter.
std::string archiveExtensionList(std::string_view separator, std::string_view before = {});

// The longest path of a file or folder inside an archive; the game's own
// limit is far below it.
inline constexpr std::size_t kMostPathBytes = 1024;

// Random access to the bytes of an archive.
class ArchiveBytes {
 public:
  virtual ~ArchiveBytes() = default;
  virtual std::uint64_t size() const = 0;
  // Reads `n` bytes at `offset` (inside size()) into `out`; false with a reason
  // when the read fails.
  virtual bool readAt(std::uint64_t offset, std::size_t n, char* out, std::string& reason) const = 0;
  // Lets go of what is held between reads (an open file); the next read takes
  // it again.
  virtual void release() const {}
};

// An archive file on disk. It is open only while it is read (a game may lie
// beside hundreds of archives), and a read refuses it once its size or time
// of writing has changed since it was opened. Null, with a reason, for a
// missing file, a folder, a pipe or a device (refused without blocking on it).
std::shared_ptr<const ArchiveBytes> openArchiveFile(const std::filesystem::path& path, std::string& reason);
// An archive held in memory.
std::shared_ptr<const ArchiveBytes> archiveInMemory(std::string bytes);

// "none", "lz77" or "zlib".
std::string_view methodName(PackMethod method);

struct ArchiveMember {
  std::string path;        // folder names and the file name, joined by '/'
  std::uint32_t size = 0;  // unpacked size in bytes
  PackMethod method = PackMethod::Stored;
  std::uint32_t content = 0;  // offset of the content in the archive
};

class Archive {
 public:
  // Reads the header and the directory. Null, with a reason, when the archive
  // is damaged or cannot be read.
  static std::shared_ptr<const Archive> open(std::shared_ptr<const ArchiveBytes> bytes, std::string& reason);
  static std::shared_ptr<const Archive> open(const std::filesystem::path& path, std::string& reason);

  // The files in the archive's own order (each folder's entries as listed,
  // folders entered where they stand).
  const std::vector<ArchiveMember>& members() const { return members_; }

  // The file at `path` ('/' or '\' between folders; empty parts and "." are
  // passed over, ".." goes up a folder), letter case ignored; the first in
  // archive order when two match. Null when there is none.
  const ArchiveMember* find(std::string_view path) const;

  // Unpacks a member into `out` (replacing what it held). False with a reason
  // when its content is damaged or there is not enough memory for it.
  bool unpack(const ArchiveMember& member, std::string& out, std::string& reason) const;

  // Reads `n` bytes at `offset`, outer cipher removed.
  bool readPlain(std::uint64_t offset, std::size_t n, char* out, std::string& reason) const;

 private:
  Archive() = default;
  bool readDirectory(std::uint32_t start, std::uint32_t end, std::string& reason);
  bool unpackChunks(const ArchiveMember& member, std::string& out, std::string& reason) const;

  std::shared_ptr<const ArchiveBytes> bytes_;
  std::uint8_t cipher_ = 0;  // 0: nothing enciphered
  std::vector<ArchiveMember> members_;
  std::unordered_map<std::string, std::size_t> byFoldedPath_;
};

}  // namespace qm
