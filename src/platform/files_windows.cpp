#include <fcntl.h>
#include <io.h>
#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cwchar>
#include <random>

#include "platform/files.h"
#include "platform/lock_count.h"
#include "platform/memory.h"
#include "platform/path_text.h"

namespace qm::platform {

namespace {

constexpr const char* kNotRegular = "not a regular file";
constexpr const char* kNotRegularTarget = "it is not a regular file";

// The text for an error code: the same words as on POSIX systems for the
// common ones, so that messages read alike everywhere; else the system's text
// without the closing full stop and line break it comes with.
std::string errorText(DWORD code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
      return std::strerror(ENOENT);
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return std::strerror(EACCES);
    case ERROR_DIRECTORY:
      return std::strerror(ENOTDIR);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return std::strerror(ENOSPC);
    case ERROR_WRITE_PROTECT:
      return std::strerror(EROFS);
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return std::strerror(ENOMEM);
    default:
      break;
  }
  char* text = nullptr;
  const DWORD n = ::FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
      MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char*>(&text), 0, nullptr);
  std::string out = n && text ? std::string(text, n) : "error " + std::to_string(code);
  if (text) ::LocalFree(text);
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r' || out.back() == '.' || out.back() == ' '))
    out.pop_back();
  return out;
}
std::string lastError() { return errorText(::GetLastError()); }

// Opens a file on disk for reading; devices (CON, NUL, COM1) and pipes are
// refused by their handle type.
HANDLE openRegular(const std::filesystem::path& path, std::string& reason) {
  const DWORD attributes = ::GetFileAttributesW(path.wstring().c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    reason = lastError();
    return INVALID_HANDLE_VALUE;
  }
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    reason = kNotRegular;
    return INVALID_HANDLE_VALUE;
  }
  HANDLE h = ::CreateFileW(path.wstring().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    reason = lastError();
    return h;
  }
  if (::GetFileType(h) != FILE_TYPE_DISK) {
    reason = kNotRegular;
    ::CloseHandle(h);
    return INVALID_HANDLE_VALUE;
  }
  return h;
}

// The system's handle of a file opened by openRegularFile. Reads go to it
// directly, past the stream's buffer, as on POSIX systems.
HANDLE handleOf(std::FILE* file) { return reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(file))); }

// At most 1 GiB a call: ReadFile and WriteFile count in 32 bits.
DWORD piece(std::size_t n) { return n > (1u << 30) ? (1u << 30) : static_cast<DWORD>(n); }

bool writeAll(HANDLE h, std::string_view data) {
  while (!data.empty()) {
    DWORD written = 0;
    if (!::WriteFile(h, data.data(), piece(data.size()), &written, nullptr)) return false;
    data.remove_prefix(written);
  }
  return true;
}

}  // namespace

std::FILE* openRegularFile(const std::filesystem::path& path, std::string& reason) {
  HANDLE h = openRegular(path, reason);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(h), _O_RDONLY | _O_BINARY);
  if (fd < 0) {
    reason = std::strerror(errno);
    ::CloseHandle(h);
    return nullptr;
  }
  std::FILE* f = ::_fdopen(fd, "rb");
  if (!f) {
    reason = std::strerror(errno);
    ::_close(fd);  // closes the handle too
  }
  return f;
}

bool readAt(std::FILE* file, std::uint64_t offset, std::size_t n, char* out, std::string& reason) {
  const HANDLE h = handleOf(file);
  while (n > 0) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    if (!::ReadFile(h, out, piece(n), &got, &at)) {
      // Reading from the end on is an error here, not an empty read.
      reason = ::GetLastError() == ERROR_HANDLE_EOF ? kFileShrank : lastError();
      return false;
    }
    if (got == 0) {
      reason = kFileShrank;
      return false;
    }
    out += got;
    offset += got;
    n -= got;
  }
  return true;
}

std::ptrdiff_t readSome(std::FILE* file, char* out, std::size_t n, std::string& reason) {
  DWORD got = 0;
  if (!::ReadFile(handleOf(file), out, piece(n), &got, nullptr)) {
    reason = lastError();
    return -1;
  }
  return static_cast<std::ptrdiff_t>(got);
}

// Large pages are granted on Windows only to accounts holding the right to
// lock memory, so large arrays come from the heap like any other.
void* allocateLarge(std::size_t bytes) { return ::operator new(bytes); }
void freeLarge(void* at, std::size_t) { ::operator delete(at); }
void reserveLarge(std::string& s, std::size_t bytes) { s.reserve(bytes); }  // the system's own pages

bool readRegularFile(const std::filesystem::path& path, std::string& out, std::string& reason, std::uint64_t limit,
                     std::string_view tooLarge) {
  HANDLE h = openRegular(path, reason);
  if (h == INVALID_HANDLE_VALUE) {
    out.clear();
    return false;
  }
  LARGE_INTEGER size{};
  // The size is only a hint: the file may grow or shrink while it is read.
  const std::uint64_t known = ::GetFileSizeEx(h, &size) && size.QuadPart > 0 ? size.QuadPart : 0;
  if (known > limit) {
    ::CloseHandle(h);
    out.clear();
    reason = tooLarge;
    return false;
  }
  std::size_t want = known > 0 ? static_cast<std::size_t>(known) + 1 : 4096;
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
    const std::size_t room = out.size() - used;
    DWORD got = 0;
    if (!::ReadFile(h, out.data() + used, piece(room), &got, nullptr)) {
      reason = lastError();
      ok = false;
      break;
    }
    if (got == 0) break;
    used += got;
    if (used > limit) {  // it grew while it was read
      reason = tooLarge;
      ok = false;
      break;
    }
  }
  ::CloseHandle(h);
  out.resize(ok ? used : 0);
  return ok;
}

FolderLock::FolderLock(const std::filesystem::path& folder) {
  const std::filesystem::path dir = folder.empty() ? std::filesystem::path(".") : folder;
  key_ = utf8Of(dir);
  int& count = heldLocks(key_);
  if (count > 0) {
    ++count;
    held_ = true;
    return;
  }
  // A folder cannot be locked itself: a hidden file in it, open to one
  // process at a time and gone when closed, stands for its lock.
  const std::wstring name = (dir / ".quillmark-lock").wstring();
  for (;;) {
    const HANDLE h =
        ::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                      FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      handle_ = reinterpret_cast<std::intptr_t>(h);
      held_ = true;
      count = 1;
      return;
    }
    const DWORD code = ::GetLastError();
    if (code != ERROR_SHARING_VIOLATION && code != ERROR_ACCESS_DENIED) return;
    if (code == ERROR_ACCESS_DENIED && ::GetFileAttributesW(name.c_str()) == INVALID_FILE_ATTRIBUTES) return;
    ::Sleep(20);  // another edit holds it
  }
}

FolderLock::~FolderLock() {
  if (!held_) return;
  if (--heldLocks(key_) > 0) return;
  if (handle_ != -1) ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

namespace {

constexpr const char* kUnchanged = ": the file is unchanged";
constexpr const char* kNothingWritten = ": nothing was written";

// Removes the temporary files a killed writer left in `dir`, with the
// folder's lock held: every writer holds it while its file exists.
void removeLeftovers(const std::filesystem::path& dir) {
  std::error_code ec;
  for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
    if (isTemporaryName(utf8Of(it->path().filename())) && it->is_regular_file(ec))
      ::DeleteFileW(it->path().wstring().c_str());
}

std::filesystem::path folderOf(const std::filesystem::path& path) {
  std::filesystem::path dir = path.parent_path();
  return dir.empty() ? std::filesystem::path(".") : dir;
}

}  // namespace

std::optional<std::string> replaceRefusal(const std::filesystem::path& path) {
  const std::filesystem::path real = followLinks(path);
  const DWORD attributes = ::GetFileAttributesW(real.wstring().c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return std::strerror(EISDIR);
    if (attributes & FILE_ATTRIBUTE_DEVICE) return kNotRegularTarget;
    if (attributes & FILE_ATTRIBUTE_READONLY) return "the file is read-only";
    // Opening it for writing, without writing a byte, tells whether this
    // account may write it and whether another program holds it shut; devices
    // (CON, NUL) show in their handle's type.
    const HANDLE h =
        ::CreateFileW(real.wstring().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return lastError();
    const bool onDisk = ::GetFileType(h) == FILE_TYPE_DISK;
    ::CloseHandle(h);
    if (!onDisk) return kNotRegularTarget;
  }
  // Windows keeps no read-only mark on folders: a folder this account may
  // not write is named when the temporary file cannot be made in it.
  return std::nullopt;
}

std::optional<std::string> replaceFile(const std::filesystem::path& path, std::string_view data,
                                       const ReplaceOptions& options) {
  const std::filesystem::path real = followLinks(path);
  const std::wstring target = real.wstring();
  const std::filesystem::path dir = folderOf(real);
  const FolderLock lock(dir);
  const bool exists = ::GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES;
  if (auto refusal = replaceRefusal(real)) return refusal;
  const char* const failed = exists ? kUnchanged : kNothingWritten;
  if (lock.held()) removeLeftovers(dir);

  // A short name of its own, so that any name the target may have still fits.
  std::random_device seed;
  std::mt19937 random(seed());
  std::wstring temp;
  HANDLE h = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 100 && h == INVALID_HANDLE_VALUE; ++attempt) {
    std::string digits = std::to_string(random() % 1000000);
    digits.insert(0, 6 - digits.size(), '0');
    temp = (dir / (".quillmark-" + digits)).wstring();
    h = ::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    const DWORD code = h == INVALID_HANDLE_VALUE ? ::GetLastError() : 0;
    if (code == ERROR_ACCESS_DENIED) return "the folder is read-only (" + errorText(code) + ")" + failed;
    if (code != 0 && code != ERROR_FILE_EXISTS) return errorText(code) + failed;
  }
  if (h == INVALID_HANDLE_VALUE) return lastError() + failed;

  DWORD err = 0;
  if (!writeAll(h, data) || !::FlushFileBuffers(h)) err = ::GetLastError();
  if (!::CloseHandle(h) && err == 0) err = ::GetLastError();
  std::optional<std::string> refusal;
  if (err == 0 && options.lastCheck) refusal = options.lastCheck();
  if (err == 0 && !refusal) {
    // Replacing keeps the old file's attributes and access rights; a new file
    // is moved into place, written through to the disk.
    const BOOL moved =
        exists
            ? ::ReplaceFileW(target.c_str(), temp.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
            : ::MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!moved) err = ::GetLastError();
  }
  if (err != 0 || refusal) {
    ::DeleteFileW(temp.c_str());
    return err != 0 ? errorText(err) + failed : *refusal;
  }
  return std::nullopt;
}

ReplacingFile::~ReplacingFile() { discard(); }

void ReplacingFile::discard() {
  if (handle_ != -1) {
    ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
    ::DeleteFileW(temp_.wstring().c_str());
    handle_ = -1;
  }
  lock_.reset();
}

std::optional<std::string> ReplacingFile::open(const std::filesystem::path& path) {
  discard();
  exists_ = ::GetFileAttributesW(path.wstring().c_str()) != INVALID_FILE_ATTRIBUTES;
  if (exists_)
    if (auto refusal = replaceRefusal(path)) return refusal;
  std::filesystem::path dir = path.parent_path();
  if (dir.empty()) dir = ".";
  // Held while the temporary file exists, so that an edit's clean-up of
  // killed writers' files in this folder never takes it for one.
  lock_ = std::make_unique<FolderLock>(dir);
  // A short name of its own, so that any name the target may have still fits.
  std::random_device seed;
  std::mt19937 random(seed());
  std::filesystem::path temp;
  HANDLE h = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 100 && h == INVALID_HANDLE_VALUE; ++attempt) {
    std::string digits = std::to_string(random() % 1000000);
    digits.insert(0, 6 - digits.size(), '0');
    temp = dir / (".quillmark-" + digits);
    h = ::CreateFileW(temp.wstring().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_FILE_EXISTS) break;
  }
  if (h == INVALID_HANDLE_VALUE) {
    const std::string reason = lastError();
    lock_.reset();
    return reason;
  }
  target_ = path, temp_ = temp, handle_ = reinterpret_cast<std::intptr_t>(h);
  return std::nullopt;
}

std::optional<std::string> ReplacingFile::write(std::string_view data) {
  if (handle_ == -1) return std::strerror(EBADF);
  if (writeAll(reinterpret_cast<HANDLE>(handle_), data)) return std::nullopt;
  const std::string reason = lastError();
  discard();
  return reason;
}

std::optional<std::string> ReplacingFile::writeAt(std::uint64_t offset, std::string_view data) {
  if (handle_ == -1) return std::strerror(EBADF);
  const HANDLE h = reinterpret_cast<HANDLE>(handle_);
  LARGE_INTEGER at{}, was{};
  at.QuadPart = 0;
  bool ok = ::SetFilePointerEx(h, at, &was, FILE_CURRENT);
  at.QuadPart = static_cast<LONGLONG>(offset);
  ok = ok && ::SetFilePointerEx(h, at, nullptr, FILE_BEGIN) && writeAll(h, data) &&
       ::SetFilePointerEx(h, was, nullptr, FILE_BEGIN);
  if (ok) return std::nullopt;
  const std::string reason = lastError();
  discard();
  return reason;
}

// A new name is written through when it is put: there is no folder to sync.
void syncFolder(const std::filesystem::path&) {}

std::optional<std::string> ReplacingFile::commit(bool) {
  if (handle_ == -1) return std::strerror(EBADF);
  const HANDLE h = reinterpret_cast<HANDLE>(handle_);
  handle_ = -1;
  const std::wstring target = target_.wstring(), temp = temp_.wstring();
  DWORD err = 0;
  if (!::FlushFileBuffers(h)) err = ::GetLastError();
  if (!::CloseHandle(h) && err == 0) err = ::GetLastError();
  if (err == 0) {
    // Replacing keeps the old file's attributes and access rights; a new file
    // is moved into place, written through to the disk.
    const BOOL moved =
        exists_
            ? ::ReplaceFileW(target.c_str(), temp.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
            : ::MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!moved) err = ::GetLastError();
  }
  lock_.reset();
  if (err != 0) {
    ::DeleteFileW(temp.c_str());
    return errorText(err);
  }
  return std::nullopt;
}

bool isOrdinaryFolder(const std::filesystem::path& folder) {
  const DWORD attributes = ::GetFileAttributesW(folder.wstring().c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
         !(attributes & FILE_ATTRIBUTE_DEVICE);
}

void writeStandardStreamsAsBytes() {
  ::_setmode(::_fileno(stdout), _O_BINARY);
  ::_setmode(::_fileno(stderr), _O_BINARY);
}

// Read, not mapped: a mapped file cannot be saved over by another program
// while it is held, and a modder's editor must be able to save it.
bool HeldFile::hold(const std::filesystem::path& path, HeldFile& out, std::string& reason, std::uint64_t limit,
                    std::string_view tooLarge) {
  std::string bytes;
  const bool ok = readRegularFile(path, bytes, reason, limit, tooLarge);
  out = ok ? HeldFile(bytes) : HeldFile();
  return ok;
}

std::filesystem::path pathOf(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int size = static_cast<int>(utf8.size());
  for (const UINT codePage : {CP_UTF8, CP_ACP}) {
    const DWORD flags = codePage == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0;
    const int n = ::MultiByteToWideChar(codePage, flags, utf8.data(), size, nullptr, 0);
    if (n <= 0) continue;
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(codePage, flags, utf8.data(), size, wide.data(), n);
    return std::filesystem::path(std::move(wide));
  }
  return {};
}

std::string utf8Of(const std::filesystem::path& path) {
  const std::wstring& wide = path.native();
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, out.data(), n, nullptr, nullptr);
  for (char& c : out)
    if (c == '\\') c = '/';
  return out;
}

std::vector<std::string> programArguments(int argc, char** argv) {
  int n = 0;
  LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &n);
  if (!wide) return std::vector<std::string>(argv + std::min(argc, 1), argv + argc);
  std::vector<std::string> out;
  // As utf8Of, without turning '\\' into '/': an argument is not always a path.
  for (int i = 1; i < n; ++i) {
    const int size = static_cast<int>(std::wcslen(wide[i]));
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, wide[i], size, nullptr, 0, nullptr, nullptr);
    std::string arg(static_cast<std::size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0) ::WideCharToMultiByte(CP_UTF8, 0, wide[i], size, arg.data(), bytes, nullptr, nullptr);
    out.push_back(std::move(arg));
  }
  ::LocalFree(wide);
  return out;
}

}  // namespace qm::platform
