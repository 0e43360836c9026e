// The few file operations whose calls differ between POSIX systems and
// Windows: opening and reading only regular files, replacing a file in one
// step, and telling ordinary folders from the system's pseudo-folders. Paths
// are std::filesystem paths, so names outside the local code page reach
// Windows as UTF-16.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/padded_bytes.h"

namespace qm::platform {

// Opens a regular file for binary reading. Folders, pipes and devices are
// turned away without waiting on them (opening a pipe blocks until a writer
// comes). On failure returns nullptr and sets `reason` ("No such file or
// directory", "not a regular file").
std::FILE* openRegularFile(const std::filesystem::path& path, std::string& reason);

// Reads `n` bytes at `offset` of a file opened by openRegularFile into `out`.
// False with `reason` when the read fails or the file ends first (it shrank
// since it was opened).
bool readAt(std::FILE* file, std::uint64_t offset, std::size_t n, char* out, std::string& reason);
// Reads at most `n` bytes from where the last read of a file opened by
// openRegularFile ended: the count read, 0 at its end, -1 with `reason` when
// the read fails.
std::ptrdiff_t readSome(std::FILE* file, char* out, std::size_t n, std::string& reason);
inline constexpr const char* kFileShrank = "read failed (the file is shorter than when it was opened)";

// Reads the whole of a regular file into `out`, reusing its capacity; the
// same refusals as openRegularFile, and a read that fails part way fails the
// whole (with `reason`). A file of more than `limit` bytes fails with the
// reason `tooLarge`, before its bytes are held.
bool readRegularFile(const std::filesystem::path& path, std::string& out, std::string& reason,
                     std::uint64_t limit = UINT64_MAX, std::string_view tooLarge = {});

// A regular file's bytes, read into memory and held while the object lives:
// a later change to the file on disk does not reach them. A large file is
// held on large pages (see PaddedBytes), so that reading megabytes costs a
// page fault per 2 MiB rather than per 4 KiB. The bytes may be read up to
// kReadPast bytes past their end.
class HeldFile {
 public:
  HeldFile() = default;
  // Bytes held in memory: a copy of them.
  explicit HeldFile(std::string_view bytes) : bytes_(bytes) {}
  explicit HeldFile(PaddedBytes bytes) : bytes_(std::move(bytes)) {}

  PaddedView bytes() const { return bytes_.view(); }
  // The file's size and time of last change as they were before it was read,
  // for whoever holds it to tell whether it changed since.
  struct Stamp {
    std::uintmax_t size = 0;
    std::filesystem::file_time_type time{};
    bool operator==(const Stamp&) const = default;
  };
  std::optional<Stamp> stamp;

  // Holds the file at `path`: the same refusals and reasons as
  // readRegularFile, `tooLarge` for a file of more than `limit` bytes.
  static bool hold(const std::filesystem::path& path, HeldFile& out, std::string& reason,
                   std::uint64_t limit = UINT64_MAX, std::string_view tooLarge = {});
  // The stamp of the file at `path` now; nothing when it cannot be read.
  static std::optional<Stamp> stampOf(const std::filesystem::path& path) {
    std::error_code ec;
    Stamp s;
    s.size = std::filesystem::file_size(path, ec);
    if (!ec) s.time = std::filesystem::last_write_time(path, ec);
    return ec ? std::nullopt : std::optional<Stamp>(s);
  }

 private:
  PaddedBytes bytes_;
};

// Quillmark's writes into one folder take turns: an edit holds the folder's
// lock from its last look at a file until the file is replaced, so that two
// edits of one file (two commands, or a command and the window) never both
// write what each read before the other. Taken again by the thread that
// holds it, it only counts; another thread or process waits for it. Held
// while the object lives; a folder that cannot be locked (not readable) is
// written without it.
class FolderLock {
 public:
  explicit FolderLock(const std::filesystem::path& folder);
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;
  bool held() const { return held_; }

 private:
  std::string key_;
  std::intptr_t handle_ = -1;  // the system's lock; -1 when counted on the thread's own or not held
  bool held_ = false;
};

// How a file is replaced, beyond its bytes.
struct ReplaceOptions {
  // For a file that does not exist yet: the file whose owner, group and
  // permissions it takes (FILE.bak takes FILE's). Empty: the new file gets
  // the process's own and the default permissions.
  std::filesystem::path likeFile;
  // Called with the new bytes on disk, just before they take the target's
  // place, with the folder's lock held: a refusal it returns stops the
  // replace, leaving the file as it was.
  std::function<std::optional<std::string>()> lastCheck;
};

// The file a path names, symbolic links followed: the one an edit changes
// (the link stays a link). The path itself when it is no link.
std::filesystem::path followLinks(const std::filesystem::path& path);

// Puts `data` in place of the file at `path` in one step: the bytes go to a
// temporary file beside it, reach the disk, and only then take the target's
// place, so a failure leaves the folder as it was ("the file is unchanged").
// A symbolic link is followed: its target is replaced and the link stays.
// An existing file keeps its owner, group and permissions (a replace that
// cannot keep them is refused); a read-only file or folder, a folder or
// anything else that is not a regular file is refused. The folder's lock is
// held throughout, and temporary files that killed writers left there are
// removed first. Returns why it failed, or nothing.
std::optional<std::string> replaceFile(const std::filesystem::path& path, std::string_view data,
                                       const ReplaceOptions& options = {});

// A file written in pieces that takes the place of `path` only when it is
// finished, as replaceFile does: the bytes go to a temporary file beside it,
// and commit() makes them reach the disk and puts the file in place. Until
// then, and when a write fails (a full disk), the folder is as it was: the
// object removes its temporary file when it ends uncommitted. Each call
// returns why it failed, or nothing.
class ReplacingFile {
 public:
  ReplacingFile() = default;
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;
  ~ReplacingFile();

  // Starts the file that will replace `path`: the same refusals as
  // replaceFile.
  std::optional<std::string> open(const std::filesystem::path& path);
  // Appends `data`.
  std::optional<std::string> write(std::string_view data);
  // Writes `data` at `offset`, over what was written there before.
  std::optional<std::string> writeAt(std::uint64_t offset, std::string_view data);
  // With `syncFolder` false the new name is left for syncFolder() to bring
  // to the disk, once for many files put in one folder.
  std::optional<std::string> commit(bool syncFolder = true);

 private:
  void discard();
  std::filesystem::path target_, temp_;
  std::unique_ptr<FolderLock> lock_;      // the folder's, while the temporary file exists
  std::intptr_t handle_ = -1;             // the temporary file, open for writing
  unsigned mode_ = 0;                     // the permissions it takes (POSIX)
  [[maybe_unused]] bool exists_ = false;  // whether `path` existed when opened (Windows)
};

// Makes the names last put in `folder` reach the disk (nothing where the
// system writes names through when they are put).
void syncFolder(const std::filesystem::path& folder);

// Why replaceFile would turn `path` away (a read-only file, a read-only
// folder, a folder, not a regular file), or nothing when it would not. Lets
// a caller check several files before writing any of them.
std::optional<std::string> replaceRefusal(const std::filesystem::path& path);

// Whether a file name is one of replaceFile's temporary files.
bool isTemporaryName(std::string_view name);

// Whether `folder` is an ordinary folder on disk: it exists and is not one of
// the system's pseudo-folders (process and device tables), whose listing or
// files can block or never end. File dialogs start only in such folders.
bool isOrdinaryFolder(const std::filesystem::path& folder);

// Makes standard output and standard error pass bytes through as they are,
// without turning LF into CR LF where the system would.
void writeStandardStreamsAsBytes();

}  // namespace qm::platform
