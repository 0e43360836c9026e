#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <new>

#include "platform/files.h"

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
  void* at = ::mmap(nullptr, largeSize(bytes), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (at == MAP_FAILED) throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
  ::madvise(at, largeSize(bytes), MADV_HUGEPAGE);  // only a hint: without it the pages are small
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

namespace {

// The mapped files, for the bus error handler: a file that shrinks on disk
// while it is mapped makes a read past its new end raise SIGBUS. The handler
// puts a page of zeros where the file's page was, and the read goes on.
// Slots are claimed and freed without a lock, as the handler may run at any
// moment; a file that finds no free slot is read instead of mapped.
struct MappedRange {
  std::atomic<std::uintptr_t> begin{0}, end{0};
};
std::array<MappedRange, 1024> mappedRanges;
struct sigaction previousBusAction {};

void onBusError(int sig, siginfo_t* info, void* context) {
  const auto at = reinterpret_cast<std::uintptr_t>(info->si_addr);
  for (const MappedRange& r : mappedRanges) {
    const std::uintptr_t begin = r.begin.load(std::memory_order_acquire);
    if (begin != 0 && at >= begin && at < r.end.load(std::memory_order_acquire)) {
      const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
      void* const start = reinterpret_cast<void*>(at / page * page);
      if (::mmap(start, page, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) != MAP_FAILED) return;
      break;
    }
  }
  // Not one of ours: whatever handled it before, or the default.
  if (previousBusAction.sa_flags & SA_SIGINFO) {
    if (previousBusAction.sa_sigaction) return previousBusAction.sa_sigaction(sig, info, context);
  } else if (previousBusAction.sa_handler != SIG_DFL && previousBusAction.sa_handler != SIG_IGN) {
    return previousBusAction.sa_handler(sig);
  }
  ::signal(SIGBUS, SIG_DFL);  // the faulting read runs again and ends the program as it would have
}

void installBusHandler() {
  static std::once_flag once;
  std::call_once(once, [] {
    struct sigaction action {};
    action.sa_sigaction = onBusError;
    action.sa_flags = SA_SIGINFO | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGBUS, &action, &previousBusAction);
  });
}

MappedRange* claimRange(const char* at, std::size_t size) {
  for (MappedRange& r : mappedRanges) {
    std::uintptr_t expected = 0;
    // Claimed with the end first, so the handler never sees a begin without it.
    if (r.end.load(std::memory_order_relaxed) == 0 &&
        r.end.compare_exchange_strong(expected, reinterpret_cast<std::uintptr_t>(at) + size)) {
      r.begin.store(reinterpret_cast<std::uintptr_t>(at), std::memory_order_release);
      return &r;
    }
  }
  return nullptr;
}

void releaseRange(const char* at) {
  for (MappedRange& r : mappedRanges)
    if (r.begin.load(std::memory_order_relaxed) == reinterpret_cast<std::uintptr_t>(at)) {
      r.begin.store(0, std::memory_order_release);
      r.end.store(0, std::memory_order_release);
      return;
    }
}

}  // namespace

HeldFile::~HeldFile() {
  if (!mapped_) return;
  releaseRange(view_.data());
  ::munmap(const_cast<char*>(view_.data()), view_.size());
}

bool HeldFile::hold(const std::filesystem::path& path, HeldFile& out, std::string& reason, std::uint64_t limit,
                    std::string_view tooLarge) {
  out = HeldFile();
  const int fd = openRegular(path, reason);
  if (fd < 0) return false;
  struct stat st {};
  const std::uint64_t size = ::fstat(fd, &st) == 0 && st.st_size > 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
  if (size > limit) {
    ::close(fd);
    reason = tooLarge;
    return false;
  }
  if (size > 0) {
    installBusHandler();
    // Mapped with its pages filled in one call, rather than a fault at each.
    void* at = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
    if (at != MAP_FAILED) {
      if (claimRange(static_cast<const char*>(at), size)) {
        ::close(fd);
        out.view_ = std::string_view(static_cast<const char*>(at), size);
        out.mapped_ = true;
        return true;
      }
      ::munmap(at, size);
    }
  }
  // Empty as far as the size says (it may be growing), or not mappable: read.
  ::close(fd);
  std::string bytes;
  if (!readRegularFile(path, bytes, reason, limit, tooLarge)) return false;
  out = HeldFile(std::move(bytes));
  return true;
}

std::optional<std::string> replaceRefusal(const std::filesystem::path& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  if (S_ISDIR(st.st_mode)) return std::strerror(EISDIR);
  if (!S_ISREG(st.st_mode)) return "it is not a regular file";
  // A file marked read-only stays as it is, whoever runs the program.
  if ((st.st_mode & S_IWUSR) == 0) return "the file is read-only";
  if (::access(path.c_str(), W_OK) != 0) return lastError();
  return std::nullopt;
}

std::optional<std::string> replaceFile(const std::filesystem::path& path, std::string_view data) {
  mode_t mode;
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) {
    if (auto refusal = replaceRefusal(path)) return refusal;
    mode = st.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }

  std::filesystem::path dir = path.parent_path();
  if (dir.empty()) dir = ".";
  // A short name of its own, so that any name the target may have still fits.
  std::string temp = (dir / ".quillmark-XXXXXX").string();
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) return lastError();

  int err = 0;
  if (!writeAll(fd, data) || ::fsync(fd) != 0) err = errno;
  if (::fchmod(fd, mode) != 0 && err == 0) err = errno;
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err == 0 && ::rename(temp.c_str(), path.c_str()) != 0) err = errno;
  if (err != 0) {
    ::unlink(temp.c_str());
    return std::strerror(err);
  }
  // The new name reaches the disk with the folder.
  const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    ::fsync(dirFd);
    ::close(dirFd);
  }
  return std::nullopt;
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

}  // namespace qm::platform
