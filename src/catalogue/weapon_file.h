// The game's weapon files as the readers see them: something with a name for
// messages that gives its whole contents at once.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

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
};

using WeaponFilePtr = std::shared_ptr<const WeaponFile>;

// The largest weapon file read, loose or in an archive. The largest real ones
// are a few MB; a larger file (a packed file that unpacks to a gigabyte, say)
// is refused with kMsgFileTooLarge rather than allowed to take the machine's
// memory.
inline constexpr std::uint64_t kLargestWeaponFile = std::uint64_t{64} << 20;
inline constexpr std::string_view kMsgFileTooLarge = "larger than 64 MiB, more than a weapon file can be";
// The reason given when a file cannot be held in memory.
std::string NoMemoryFor(std::uint64_t bytes);

// A file on disk. Folders, fifos and devices are refused without opening
// them, so a reader never blocks on one.
WeaponFilePtr looseFile(std::filesystem::path path);

// A file known to be unreadable (a damaged archive, a name where no file is):
// every read fails with `reason`.
WeaponFilePtr unreadableFile(std::string name, std::string reason);

// A file that could not be read, and why.
struct UnreadableFile {
  std::string name;
  std::string reason;
  bool operator==(const UnreadableFile&) const = default;
};

// Reads each file in turn into one reused buffer and hands its bytes to
// `read`; returns the files that could not be read whole.
template <class Read>
std::vector<UnreadableFile> ReadEach(const std::vector<WeaponFilePtr>& files, Read read) {
  std::vector<UnreadableFile> unreadable;
  std::string bytes, reason;
  for (const WeaponFilePtr& file : files) {
    if (file->read(bytes, reason))
      read(std::string_view(bytes));
    else
      unreadable.push_back({file->name(), reason});
  }
  return unreadable;
}

}  // namespace qm
