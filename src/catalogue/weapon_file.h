// The game's weapon files as the readers see them: something with a name for
// messages that gives its whole contents at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"

namespace qm {

// The buffer files are read through piece by piece, kept from file to file.
// It grows only for a line longer than itself.
class PieceBuffer {
 public:
  explicit PieceBuffer(std::size_t size = 256 * 1024) : size_(size), data_(new char[size]) {}
  char* data() { return data_.get(); }
  std::size_t size() const { return size_; }
  // Doubles the room, keeping the first `keep` bytes.
  void grow(std::size_t keep);

 private:
  std::size_t size_;
  std::unique_ptr<char[]> data_;  // not zero-filled: every byte is read over before it is looked at
};

// Reads into `out` at most `n` bytes; the count read, 0 at the end, -1 on a
// failure (with its reason).
using ReadSome = std::function<std::ptrdiff_t(char* out, std::size_t n, std::string& reason)>;
using TakePiece = std::function<void(std::string_view piece)>;

// Reads with `readSome` through `buffer` and hands `take` the bytes in order,
// in pieces that end at a line end (CR, LF or CR LF, never parted) except the
// file's last. A reader that cuts lines in a piece sees exactly the lines of
// the whole file, and each piece starts a line. False with `reason` when a
// read fails; the pieces handed until then are not taken back.
bool readLinePieces(PieceBuffer& buffer, const ReadSome& readSome, const TakePiece& take, std::string& reason);

class WeaponFile {
 public:
  virtual ~WeaponFile() = default;
  // What messages call the file: a path, or ARCHIVE/inner/path for a file
  // inside an archive.
  virtual const std::string& name() const = 0;
  // Reads the whole file into `out`, reusing its capacity. On failure returns
  // false and sets `reason` to what went wrong ("No such file or directory",
  // "not a regular file", kMsgFileTooLarge, no memory, ...); never throws.
  virtual bool read(std::string& out, std::string& reason) const = 0;
  // The file on disk that holds exactly these bytes; empty for a file inside
  // an archive or one that cannot be read.
  virtual std::filesystem::path diskPath() const { return {}; }
  // For a file inside an archive, its path inside ('/' between folders);
  // empty otherwise.
  virtual std::string innerPath() const { return {}; }
  // Hands the whole file to `take` in pieces of whole lines (see
  // ReadLinePieces), read through `buffer`: a file on disk never lies in
  // memory whole. The default reads the whole file and hands it at once.
  virtual bool readInPieces(PieceBuffer& buffer, const TakePiece& take, std::string& reason) const;
  // Reads the whole file into `out` (see HeldFile), stamped when it is a file
  // on disk. The same failures as read(). The default holds what read()
  // gives.
  virtual bool hold(platform::HeldFile& out, std::string& reason) const;
  // Where the bytes are read from, the same for every object that reads the
  // same file on disk or in an archive; empty for bytes held in memory.
  virtual std::string sourceKey() const { return {}; }
  // Whether bytes this object held are still what it would hold now. A file
  // in memory never changes; a file on disk may, under the same object.
  virtual bool stillHolds(const platform::HeldFile&) const { return true; }
};

using WeaponFilePtr = std::shared_ptr<const WeaponFile>;

// The largest weapon file read, loose or in an archive. The largest real ones
// are a few MB; a larger file (a packed file that unpacks to a gigabyte, say)
// is refused with kMsgFileTooLarge rather than allowed to take the machine's
// memory.
inline constexpr std::uint64_t kLargestWeaponFile = std::uint64_t{64} << 20;
inline constexpr std::string_view kMsgFileTooLarge = "larger than 64 MiB, more than a weapon file can be";
// The reason given when a file cannot be held in memory.
std::string noMemoryFor(std::uint64_t bytes);

// A file on disk. Folders, fifos and devices are refused without opening
// them, so a reader never blocks on one.
WeaponFilePtr looseFile(std::filesystem::path path);

// Bytes held in memory under a name: the unsaved edits of a file (which name
// the file on disk they stand for as `diskPath`), or a file made up by a test.
WeaponFilePtr memoryFile(std::string name, std::string bytes, std::filesystem::path diskPath = {});

// A file known to be unreadable (a damaged archive, a name where no file is):
// every read fails with `reason`.
WeaponFilePtr unreadableFile(std::string name, std::string reason);

// A file that could not be read, and why.
struct UnreadableFile {
  std::string name;
  std::string reason;
  bool operator==(const UnreadableFile&) const = default;
};

// Reads each file in turn through one buffer and hands it to `reader`:
// begin(), then piece(bytes) for each piece (see readLinePieces), then end()
// when the file was read to its end, or undo() when it failed part way, which
// must take back what its pieces did. Returns the files that failed.
template <class Reader>
std::vector<UnreadableFile> readEachInPieces(const std::vector<WeaponFilePtr>& files, Reader& reader) {
  std::vector<UnreadableFile> unreadable;
  // One buffer for every file a thread reads: a fresh one would cost its
  // pages again at each import.
  thread_local PieceBuffer buffer;
  std::string reason;
  const TakePiece take = [&reader](std::string_view piece) { reader.piece(piece); };
  for (const WeaponFilePtr& file : files) {
    reader.begin();
    if (file->readInPieces(buffer, take, reason)) {
      reader.end();
    } else {
      reader.undo();
      unreadable.push_back({file->name(), reason});
    }
  }
  return unreadable;
}

}  // namespace qm
