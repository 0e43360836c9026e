#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

#include "platform/files.h"
#include "platform/lock_count.h"
#include "platform/memory.h"
#include "platform/path_text.h"

namespace qm::platform {

namespace {

constexpr const char* kNotRegular = "not a regular file";

std::string lastError() { return std::strerror(errno); }

// Opens without blocking (see openRegularFile) and checks the opened file
// again, in case another one was swapped in after the first look.
int openRegular(const std::filesystem::path& path, std::string& reason) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    reason = lastError();
    return -1;
  }
  if (!S_ISREG(st.st_mode)) {
    reason = kNotRegular;
    return -1;
  }
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    reason = lastError();
    return -1;
  }
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    reason = kNotRegular;
    ::close(fd);
    return -1;
  }
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    reason = lastError();
    ::close(fd);
    return -1;
  }
  return fd;
}

bool writeAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

}  // namespace

std::FILE* openRegularFile(const std::filesystem::path& path, std::string& reason) {
  const int fd = openRegular(path, reason);
  if (fd < 0) return nullptr;
  std::FILE* f = ::fdopen(fd, "rb");
  if (!f) {
    reason = lastError();
    ::close(fd);
  }
  return f;
}

bool readAt(std::FILE* file, std::uint64_t offset, std::size_t n, char* out, std::string& reason) {
  const int fd = ::fileno(file);
  while (n > 0) {
    const ssize_t got = ::pread(fd, out, n, static_cast<off_t>(offset));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      reason = got < 0 ? lastError() : kFileShrank;
      return false;
    }
    out += got;
    offset += static_cast<std::uint64_t>(got);
    n -= static_cast<std::size_t>(got);
  }
  return true;
}

std::ptrdiff_t readSome(std::FILE* file, char* out, std::size_t n, std::string& reason) {
  for (;;) {
    const ssize_t got = ::read(::fileno(file), out, n);
    if (got >= 0) return got;
    if (errno != EINTR) {
      reason = lastError();
      return -1;
    }
  }
}

namespace {

constexpr std::size_t kLargeStep = std::size_t{2} << 20;

std::size_t largeSize(std::size_t bytes) { return (bytes + kLargeStep - 1) / kLargeStep * kLargeStep; }

}  // namespace

void* allocateLarge(std::size_t bytes) {
  // A large page must start at a multiple of its size: a step more is asked
  // for, and what lies outside the aligned room given back.
  const std::size_t size = largeSize(bytes);
  void* got = ::mmap(nullptr, size + kLargeStep, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (got == MAP_FAILED) throw std::bad_alloc();
  const auto begin = reinterpret_cast<std::uintptr_t>(got);
  const std::uintptr_t aligned = (begin + kLargeStep - 1) / kLargeStep * kLargeStep;
  if (aligned > begin) ::munmap(got, aligned - begin);
  if (begin + kLargeStep > aligned) ::munmap(reinterpret_cast<void*>(aligned + size), begin + kLargeStep - aligned);
  void* const at = reinterpret_cast<void*>(aligned);
#ifdef MADV_HUGEPAGE
  ::madvise(at, size, MADV_HUGEPAGE);  // only a hint: without it the pages are small
#endif
  return at;
}

void freeLarge(void* at, std::size_t bytes) { ::munmap(at, largeSize(bytes)); }

void reserveLarge(std::string& s, std::size_t bytes) {
  if (bytes <= s.capacity()) return;
  if (bytes < kLargeStep) {
    s.reserve(bytes);
    return;
  }
  std::string room;
  room.reserve(bytes);
  const auto begin = reinterpret_cast<std::uintptr_t>(room.data());
  const std::uintptr_t end = begin + room.capacity();
#ifdef MADV_HUGEPAGE
  // Only the whole large pages inside the room, while none of it is backed.
  const std::uintptr_t first = (begin + kLargeStep - 1) / kLargeStep * kLargeStep;
  const std::uintptr_t last = end / kLargeStep * kLargeStep;
  if (first < last) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#endif
#ifdef MADV_POPULATE_WRITE
  // All of it backed in one call, rather than a fault at each page (the
  // small pages at either end included). Older systems refuse it: then the
  // pages come as they are first written.
  const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
  const std::uintptr_t from = (begin + page - 1) / page * page, to = end / page * page;
  if (from < to) ::madvise(reinterpret_cast<void*>(from), to - from, MADV_POPULATE_WRITE);
#endif
  room = s;  // the bytes held so far, now on the large pages
  s.swap(room);
}

bool readRegularFile(const std::filesystem::path& path, std::string& out, std::string& reason, std::uint64_t limit,
                     std::string_view tooLarge) {
  const int fd = openRegular(path, reason);
  if (fd < 0) {
    out.clear();
    return false;
  }
  struct stat st {};
  // The size is only a hint: the file may grow or shrink while it is read.
  const std::uint64_t size = ::fstat(fd, &st) == 0 && st.st_size > 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
  if (size > limit) {
    ::close(fd);
    out.clear();
    reason = tooLarge;
    return false;
  }
  std::size_t want = size > 0 ? static_cast<std::size_t>(size) + 1 : 4096;
  reserveLarge(out, want);
  // Room for one byte more than the size, so that a file that did not
  // change is read in one go and the next read finds its end. What `out`
  // held is read over, not cleared first: a string reused from file to file
  // is only zeroed where it grows, and it grows only when full, so no byte is
  // copied twice.
  out.resize(want);
  std::size_t used = 0;
  bool ok = true;
  for (;;) {
    if (used == out.size()) out.resize(used + 64 * 1024);
    const ssize_t n = ::read(fd, out.data() + used, out.size() - used);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      reason = lastError();
      ok = false;
      break;
    }
    if (n == 0) break;
    used += static_cast<std::size_t>(n);
    if (used > limit) {  // it grew while it was read
      reason = tooLarge;
      ok = false;
      break;
    }
  }
  ::close(fd);
  out.resize(ok ? used : 0);
  return ok;
}

bool HeldFile::hold(const std::filesystem::path& path, HeldFile& out, std::string& reason, std::uint64_t limit,
                    std::string_view tooLarge) {
  out = HeldFile();
  const int fd = openRegular(path, reason);
  if (fd < 0) return false;
  struct stat st {};
  // The size is only a hint: the file may grow or shrink while it is read.
  const std::uint64_t size = ::fstat(fd, &st) == 0 && st.st_size > 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
  if (size > limit) {
    ::close(fd);
    reason = tooLarge;
    return false;
  }
  // Room for one byte more than the size, so that the read that finds the
  // end of a file that did not change finds it there; a large file's room is
  // on large pages, which cost a page fault per 2 MiB.
  PaddedBytes bytes;
  bytes.reserve(size > 0 ? static_cast<std::size_t>(size) + 1 : 4096);
  bool ok = true;
  for (;;) {
    // One byte past the limit is enough to tell it was passed.
    if (bytes.size() == bytes.capacity()) {
      const std::uint64_t most = limit == UINT64_MAX ? limit : limit + 1;
      bytes.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(2 * bytes.capacity(), most)));
    }
    const ssize_t n = ::read(fd, bytes.data() + bytes.size(), bytes.capacity() - bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      reason = lastError();
      ok = false;
    }
    if (n <= 0) break;
    bytes.resize(bytes.size() + static_cast<std::size_t>(n));
    if (bytes.size() > limit) {  // it grew while it was read
      reason = tooLarge;
      ok = false;
      break;
    }
  }
  ::close(fd);
  if (ok) out = HeldFile(std::move(bytes));
  return ok;
}

FolderLock::FolderLock(const std::filesystem::path& folder) {
  key_ = (folder.empty() ? std::filesystem::path(".") : folder).string();
  int& count = heldLocks(key_);
  if (count > 0) {
    ++count;
    held_ = true;
    return;
  }
  const int fd = ::open(key_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  int got;
  while ((got = ::flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
  }
  if (got != 0) {
    ::close(fd);
    return;
  }
  handle_ = fd;
  held_ = true;
  count = 1;
}

FolderLock::~FolderLock() {
  if (!held_) return;
  if (--heldLocks(key_) > 0) return;
  // Closing the folder lets the lock go.
  if (handle_ >= 0) ::close(static_cast<int>(handle_));
}

namespace {

constexpr const char* kUnchanged = ": the file is unchanged";
constexpr const char* kNothingWritten = ": nothing was written";

// Removes the temporary files a killed writer left in `dir`. Called with the
// folder's lock held: every writer holds it while its file exists, so any
// such file found then is one whose writer is gone.
void removeLeftovers(const std::filesystem::path& dir) {
  std::error_code ec;
  for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (!isTemporaryName(name)) continue;
    struct stat st {};
    // Only regular files of this account: never another user's, nor a folder.
    if (::lstat(it->path().c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid())
      ::unlink(it->path().c_str());
  }
}

std::filesystem::path folderOf(const std::filesystem::path& path) {
  std::filesystem::path dir = path.parent_path();
  return dir.empty() ? std::filesystem::path(".") : dir;
}

}  // namespace

std::optional<std::string> replaceRefusal(const std::filesystem::path& path) {
  struct stat st {};
  const std::filesystem::path real = followLinks(path);
  if (::stat(real.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return std::strerror(EISDIR);
    if (!S_ISREG(st.st_mode)) return "it is not a regular file";
    // A file marked read-only stays as it is, whoever runs the program.
    if ((st.st_mode & S_IWUSR) == 0) return "the file is read-only";
    if (::access(real.c_str(), W_OK) != 0) return lastError();
  }
  // The replace makes a file in the folder and renames it there.
  const std::filesystem::path dir = folderOf(real);
  struct stat folder {};
  if (::stat(dir.c_str(), &folder) != 0) return std::nullopt;
  // A folder of one's own marked read-only stays as it is, as a file does.
  if (folder.st_uid == ::geteuid() && (folder.st_mode & S_IWUSR) == 0) return "the folder is read-only";
  if (::access(dir.c_str(), W_OK | X_OK) != 0)
    return errno == EROFS ? "the folder is on a read-only file system"
                          : "the folder is read-only (" + lastError() + ")";
  return std::nullopt;
}

std::optional<std::string> replaceFile(const std::filesystem::path& path, std::string_view data,
                                       const ReplaceOptions& options) {
  const std::filesystem::path real = followLinks(path);
  const std::filesystem::path dir = folderOf(real);
  const FolderLock lock(dir);
  struct stat st {};
  const bool exists = ::stat(real.c_str(), &st) == 0;
  if (auto refusal = replaceRefusal(real)) return refusal;
  const char* const failed = exists ? kUnchanged : kNothingWritten;
  struct stat like {};
  const bool keep = exists || (!options.likeFile.empty() && ::stat(options.likeFile.c_str(), &like) == 0);
  if (exists) like = st;
  mode_t mode = like.st_mode & 07777;
  if (!keep) {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  if (lock.held()) removeLeftovers(dir);

  // A short name of its own, so that any name the target may have still fits.
  std::string temp = (dir / ".quillmark-XXXXXX").string();
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) return lastError() + failed;

  int err = 0;
  if (!writeAll(fd, data) || ::fsync(fd) != 0) err = errno;
  // Owner and group first: changing them clears the set-ID bits of the mode.
  std::string refusal;
  if (err == 0 && keep && (like.st_uid != ::geteuid() || like.st_gid != ::getegid()) &&
      ::fchown(fd, like.st_uid, like.st_gid) != 0)
    refusal = "its owner and group cannot be kept (" + lastError() + ")";
  if (err == 0 && ::fchmod(fd, mode) != 0) err = errno;
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err == 0 && !refusal.empty()) refusal += failed;
  // The caller's last look, whose refusal says itself what was left.
  if (err == 0 && refusal.empty() && options.lastCheck)
    if (auto last = options.lastCheck()) refusal = *last;
  if (err == 0 && refusal.empty() && ::rename(temp.c_str(), real.c_str()) != 0) err = errno;
  if (err != 0 || !refusal.empty()) {
    ::unlink(temp.c_str());
    return err != 0 ? std::strerror(err) + std::string(failed) : refusal;
  }
  // The new name reaches the disk with the folder.
  const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    ::fsync(dirFd);
    ::close(dirFd);
  }
  return std::nullopt;
}

ReplacingFile::~ReplacingFile() { discard(); }

void ReplacingFile::discard() {
  if (handle_ >= 0) {
    ::close(static_cast<int>(handle_));
    ::unlink(temp_.c_str());
    handle_ = -1;
  }
  lock_.reset();
}

std::optional<std::string> ReplacingFile::open(const std::filesystem::path& path) {
  discard();
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) {
    if (auto refusal = replaceRefusal(path)) return refusal;
    mode_ = st.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode_ = 0666 & ~mask;
  }
  std::filesystem::path dir = path.parent_path();
  if (dir.empty()) dir = ".";
  // Held while the temporary file exists, so that an edit's clean-up of
  // killed writers' files in this folder never takes it for one.
  lock_ = std::make_unique<FolderLock>(dir);
  // A short name of its own, so that any name the target may have still fits.
  std::string temp = (dir / ".quillmark-XXXXXX").string();
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) {
    lock_.reset();
    return lastError();
  }
  target_ = path, temp_ = temp, handle_ = fd;
  return std::nullopt;
}

std::optional<std::string> ReplacingFile::write(std::string_view data) {
  if (handle_ < 0) return std::strerror(EBADF);
  if (writeAll(static_cast<int>(handle_), data)) {
#ifdef __linux__
    // The bytes start on their way to the disk now, so that commit() waits
    // only for the last of them.
    if (data.size() >= (1 << 20)) {
      const off_t end = ::lseek(static_cast<int>(handle_), 0, SEEK_CUR);
      ::sync_file_range(static_cast<int>(handle_), end - static_cast<off_t>(data.size()),
                        static_cast<off_t>(data.size()), SYNC_FILE_RANGE_WRITE);
    }
#endif
    return std::nullopt;
  }
  const std::string reason = lastError();
  discard();
  return reason;
}

std::optional<std::string> ReplacingFile::writeAt(std::uint64_t offset, std::string_view data) {
  if (handle_ < 0) return std::strerror(EBADF);
  while (!data.empty()) {
    const ssize_t n = ::pwrite(static_cast<int>(handle_), data.data(), data.size(), static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const std::string reason = lastError();
      discard();
      return reason;
    }
    data.remove_prefix(static_cast<std::size_t>(n));
    offset += static_cast<std::uint64_t>(n);
  }
  return std::nullopt;
}

std::optional<std::string> ReplacingFile::commit(bool syncFolder) {
  if (handle_ < 0) return std::strerror(EBADF);
  const int fd = static_cast<int>(handle_);
  handle_ = -1;
  int err = 0;
  if (::fsync(fd) != 0) err = errno;
  if (::fchmod(fd, mode_) != 0 && err == 0) err = errno;
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err == 0 && ::rename(temp_.c_str(), target_.c_str()) != 0) err = errno;
  if (err != 0) {
    ::unlink(temp_.c_str());
    lock_.reset();
    return std::strerror(err);
  }
  // The new name reaches the disk with the folder.
  if (syncFolder) platform::syncFolder(folderOf(target_));
  lock_.reset();
  return std::nullopt;
}

void syncFolder(const std::filesystem::path& folder) {
  const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    ::fsync(dirFd);
    ::close(dirFd);
  }
}

bool isOrdinaryFolder(const std::filesystem::path& folder) {
  struct stat st {};
  if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  struct statfs fs {};
  if (::statfs(folder.c_str(), &fs) != 0) return false;
  // The process, kernel and device tables; /dev is a memory file system
  // like /tmp, so it is told apart by its device nodes' folder itself.
  constexpr long kPseudo[] = {
      0x9fa0 /* proc */,           0x62656572 /* sysfs */, 0x1cd1 /* devpts */,      0x64626720 /* debugfs */,
      0x73636673 /* securityfs */, 0x27e0eb /* cgroup */,  0x63677270 /* cgroup2 */, 0x74726163 /* tracefs */};
  for (long magic : kPseudo)
    if (static_cast<long>(fs.f_type) == magic) return false;
  std::error_code ec;
  const auto real = std::filesystem::canonical(folder, ec);
  if (ec) return false;
  auto part = real.begin();  // the root, then the first folder under it
  if (part != real.end()) ++part;
  return part == real.end() || *part != "dev";
}

void writeStandardStreamsAsBytes() {}

// Names on disk are bytes here, UTF-8 by convention: nothing to convert.
std::filesystem::path pathOf(std::string_view utf8) { return std::filesystem::path(std::string(utf8)); }
std::string utf8Of(const std::filesystem::path& path) { return path.native(); }

std::vector<std::string> programArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + std::min(argc, 1), argv + argc);
}

}  // namespace qm::platform
