#include "archive/archive.h"

#include <zlib.h>
#if QM_HAVE_LIBDEFLATE
#include <libdeflate.h>
#endif

#include <algorithm>
#include <array>
#include <cstring>
#include <mutex>
#include <new>
#include <stdexcept>
#include <system_error>
#include <unordered_set>

#include "platform/files.h"
#include "text/text.h"

namespace qm {

namespace {

namespace fs = std::filesystem;
using namespace archive_format;

// All paths of an archive together: at most this many bytes per byte of its
// directory, and this many whatever its size. In a real archive a path
// repeats only its folders' names, so its paths take about as many bytes as
// its directory; folders that all share one long name would take millions.
constexpr std::uint64_t kPathBytesPerDirectoryByte = 16;
constexpr std::uint64_t kPathBytesAnyway = 1 << 20;
// The directory is read in pages of this size as its entries reach them.
constexpr std::size_t kDirectoryPage = 4096;
constexpr unsigned kRingSize = 4096;

std::string damaged(std::string_view what) { return "damaged archive: " + std::string(what); }

// `path` ('/' or '\' between folders) as one key: letter case folded, empty
// parts and "." passed over, ".." taking back the folder before it. A path
// ending in a separator names a folder, and finds no file.
std::string folded(std::string_view path) {
  const bool folder = !path.empty() && (path.back() == '/' || path.back() == '\\');
  std::string out;
  out.reserve(path.size());
  while (!path.empty()) {
    const std::size_t cut = std::min(path.find_first_of("/\\"), path.size());
    const std::string_view part = path.substr(0, cut);
    path.remove_prefix(std::min(cut + 1, path.size()));
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      const std::size_t slash = out.rfind('/');
      out.resize(slash == std::string::npos ? 0 : slash);
      continue;
    }
    if (!out.empty()) out += '/';
    for (char c : part) out += foldLower(c);
  }
  if (folder) out += '/';
  return out;
}

// An archive on disk, opened for each run of reads. Its members may be read
// by several threads at once (the weapons table reads files side by side):
// each read and each release is whole under the lock, and a read after
// another thread's release opens the file again.
class FileBytes : public ArchiveBytes {
 public:
  FileBytes(fs::path path, std::uint64_t size, fs::file_time_type written, std::FILE* file)
      : path_(std::move(path)), size_(size), written_(written), file_(file) {}
  ~FileBytes() override { release(); }
  FileBytes(const FileBytes&) = delete;
  FileBytes& operator=(const FileBytes&) = delete;

  std::uint64_t size() const override { return size_; }
  bool readAt(std::uint64_t offset, std::size_t n, char* out, std::string& reason) const override {
    const std::lock_guard<std::mutex> hold(lock_);
    return (file_ || reopen(reason)) && platform::readAt(file_, offset, n, out, reason);
  }
  void release() const override {
    const std::lock_guard<std::mutex> hold(lock_);
    close();
  }

 private:
  bool reopen(std::string& reason) const {
    file_ = platform::openRegularFile(path_, reason);
    if (!file_) return false;
    std::error_code sizeError, timeError;
    if (fs::file_size(path_, sizeError) != size_ || fs::last_write_time(path_, timeError) != written_ || sizeError ||
        timeError) {
      close();
      reason = "the archive changed on disk since it was opened";
      return false;
    }
    return true;
  }

  void close() const {
    if (file_) std::fclose(file_);
    file_ = nullptr;
  }

  fs::path path_;
  std::uint64_t size_;
  fs::file_time_type written_;
  mutable std::mutex lock_;
  mutable std::FILE* file_;
};

class MemoryBytes : public ArchiveBytes {
 public:
  explicit MemoryBytes(std::string bytes) : bytes_(std::move(bytes)) {}
  std::uint64_t size() const override { return bytes_.size(); }
  bool readAt(std::uint64_t offset, std::size_t n, char* out, std::string&) const override {
    std::memcpy(out, bytes_.data() + offset, n);
    return true;
  }

 private:
  std::string bytes_;
};

// Lets go of the archive's file when a run of reads ends.
struct ReleaseAtEnd {
  const ArchiveBytes& bytes;
  ~ReleaseAtEnd() { bytes.release(); }
};

// The directory's bytes from `start` to `end`, deciphered and read a page at a
// time as the walk reaches them: only what the entries use is ever held.
class DirectoryPages {
 public:
  DirectoryPages(const Archive& archive, std::uint32_t start, std::uint32_t end)
      : archive_(archive), start_(start), end_(end) {}

  std::uint64_t size() const { return end_ - start_; }
  bool holds(std::uint64_t at, std::uint64_t n) const { return at >= start_ && at + n <= end_; }

  // The `n` bytes (at most 32) at `at`; null when the directory does not hold
  // them all, or when a read failed (then readFailed() says why).
  const char* bytes(std::uint64_t at, std::size_t n) {
    if (!holds(at, n) || n > joined_.size()) return nullptr;
    const std::uint64_t first = (at - start_) / kDirectoryPage, last = (at + n - 1 - start_) / kDirectoryPage;
    const char* page = pageAt(first);
    if (!page) return nullptr;
    const char* p = page + (at - start_) % kDirectoryPage;
    if (first == last) return p;
    const std::size_t inFirst = kDirectoryPage - (at - start_) % kDirectoryPage;
    const char* next = pageAt(last);
    if (!next) return nullptr;
    std::memcpy(joined_.data(), p, inFirst);
    std::memcpy(joined_.data() + inFirst, next, n - inFirst);
    return joined_.data();
  }

  enum class Name { Read, Outside, NoEnd, TooLong };
  // The NUL-terminated name at `at` into `name`, if it ends within `most`
  // bytes and inside the directory.
  Name readName(std::uint64_t at, std::size_t most, std::string& name) {
    name.clear();
    if (at < start_ || at >= end_) return Name::Outside;
    while (at < end_) {
      const char* page = pageAt((at - start_) / kDirectoryPage);
      if (!page) return Name::Outside;
      const std::size_t from = (at - start_) % kDirectoryPage;
      const std::size_t inPage = std::min<std::uint64_t>(kDirectoryPage - from, end_ - at);
      const auto* nul = static_cast<const char*>(std::memchr(page + from, '\0', inPage));
      name.append(page + from, nul ? nul - (page + from) : inPage);
      if (name.size() > most) return Name::TooLong;
      if (nul) return Name::Read;
      at += inPage;
    }
    return Name::NoEnd;
  }

  const std::string& readFailed() const { return readFailed_; }

 private:
  const char* pageAt(std::uint64_t index) {
    std::string& page = pages_[index];
    if (page.empty() && readFailed_.empty()) {
      const std::uint64_t at = start_ + index * kDirectoryPage;
      page.resize(std::min<std::uint64_t>(kDirectoryPage, end_ - at));
      if (!archive_.readPlain(at, page.size(), page.data(), readFailed_)) {
        if (readFailed_.empty()) readFailed_ = "read failed";
        page.clear();
      }
    }
    return page.empty() ? nullptr : page.data();
  }

  const Archive& archive_;
  std::uint64_t start_, end_;
  std::unordered_map<std::uint64_t, std::string> pages_;
  std::array<char, 32> joined_{};
  std::string readFailed_;
};

// A walk of the directory's tree with an explicit stack, so a deep tree needs
// no deep recursion. A folder whose record is already open further up
// contains itself; a directory whose folders share entries could list more
// than it holds, so the walk stops after as many entries as fit in the
// directory, and after as many path bytes as such a directory could need.
class DirectoryWalk {
 public:
  DirectoryWalk(DirectoryPages& pages, std::uint64_t fileSize, std::vector<ArchiveMember>& members)
      : pages_(pages),
        fileSize_(fileSize),
        members_(members),
        entryLimit_(pages.size() / kEntrySize),
        pathBytesLimit_(kPathBytesAnyway + kPathBytesPerDirectoryByte * pages.size()) {}

  bool run(std::uint32_t root, std::string& reason) {
    if (!enterFolder(root, "/", reason)) return false;
    while (!stack_.empty()) {
      Folder& top = stack_.back();
      if (top.next == top.end) {
        leaveFolder();
        continue;
      }
      const std::uint32_t entry = top.next;
      top.next += kEntrySize;
      if (!readEntry(entry, top.prefix, reason)) return false;
    }
    return true;
  }

 private:
  struct Folder {
    std::uint32_t record, next, end;  // record offset; entries not yet read
    std::size_t prefix;               // length of the folder's path with its '/'
  };

  bool fail(std::string& reason, std::string_view what) {
    reason = pages_.readFailed().empty() ? damaged(what) : pages_.readFailed();
    return false;
  }

  bool enterFolder(std::uint32_t record, const std::string& name, std::string& reason) {
    const char* p = pages_.bytes(record, kFolderSize);
    if (!p) return fail(reason, "folder \"" + name + "\" lies outside the directory");
    if (!open_.insert(record).second) return fail(reason, "folder \"" + name + "\" contains itself");
    const std::uint32_t count = getU32(p + kFolderCountAt), first = getU32(p + kFolderFirstAt);
    const std::uint64_t end = first + std::uint64_t{count} * kEntrySize;
    if (count > 0 && !pages_.holds(first, end - first))
      return fail(reason,
                  "folder \"" + name + "\" lists " + std::to_string(count) + " entries that do not fit the directory");
    stack_.push_back({record, first, static_cast<std::uint32_t>(end), path_.size()});
    return true;
  }

  void leaveFolder() {
    open_.erase(stack_.back().record);
    stack_.pop_back();
    if (!stack_.empty()) path_.resize(stack_.back().prefix);
  }

  bool readEntry(std::uint32_t at, std::size_t prefix, std::string& reason) {
    if (++entriesSeen_ > entryLimit_) return fail(reason, "its directory lists more entries than it holds");
    const char* e = pages_.bytes(at, kEntrySize);
    if (!e) return fail(reason, "an entry lies outside the directory");
    const std::uint32_t nameAt = getU32(e + kEntryNameAt), dataAt = getU32(e + kEntryDataAt);
    const bool isFolder = e[kEntryIsFolderAt] != 0;
    path_.resize(prefix);
    if (!appendName(nameAt, reason)) return false;
    if (isFolder) {
      path_ += '/';
      return enterFolder(dataAt, path_, reason);
    }
    return addFile(dataAt, reason);
  }

  // A name must end inside the directory, be one plain name, and keep the
  // path within kMostPathBytes, so that every path means one file.
  bool appendName(std::uint32_t at, std::string& reason) {
    using Name = DirectoryPages::Name;
    const Name read = pages_.readName(at, kMostPathBytes - std::min(path_.size(), kMostPathBytes), name_);
    std::string bad;
    if (read == Name::Outside)
      bad = "a name outside the directory";
    else if (read == Name::NoEnd)
      bad = "a name with no end";
    else if (read == Name::TooLong)
      bad = "a path longer than " + std::to_string(kMostPathBytes) + " bytes";
    else if (name_.empty())
      bad = "an empty name";
    else if (name_.find_first_of("/\\") != std::string::npos)
      bad = "a name with a slash in it";
    else if (name_ == "." || name_ == "..")
      bad = "the name " + name_;
    if (!bad.empty())
      return fail(reason, "an entry of \"" +
                              (path_.empty()         ? std::string("/")
                               : path_.size() <= 100 ? path_
                                                     : path_.substr(0, 100) + "...") +
                              "\" has " + bad);
    path_ += name_;
    return true;
  }

  bool addFile(std::uint32_t recordAt, std::string& reason) {
    const char* r = pages_.bytes(recordAt, kFileRecordSize);
    if (!r) return fail(reason, "the record of \"" + path_ + "\" lies outside the directory");
    const auto method = static_cast<unsigned char>(r[kFileMethodAt]);
    if (!isPackMethod(method))
      return fail(reason, "\"" + path_ + "\" has an unknown packing method " + std::to_string(method));
    ArchiveMember m{path_, getU32(r + kFileSizeAt), static_cast<PackMethod>(method), getU32(r + kFileContentAt)};
    // Stored content must lie in the file; packed content needs at least a
    // table entry and a chunk header per 64 KiB of output.
    const std::uint64_t least =
        m.method == PackMethod::Stored ? m.size : chunkCount(m.size) * (kChunkTableEntrySize + ChunkHeader::kSize);
    if (m.content + least > fileSize_)
      return fail(reason, "\"" + path_ + "\" claims " + std::to_string(m.size) +
                              " bytes that the file cannot hold at offset " + std::to_string(m.content));
    pathBytes_ += path_.size();
    if (pathBytes_ > pathBytesLimit_)
      return fail(reason, "its paths add up to more than " + std::to_string(pathBytesLimit_) +
                              " bytes, more than its directory could need");
    members_.push_back(std::move(m));
    return true;
  }

  DirectoryPages& pages_;
  const std::uint64_t fileSize_;
  std::vector<ArchiveMember>& members_;
  const std::uint64_t entryLimit_, pathBytesLimit_;
  std::uint64_t entriesSeen_ = 0, pathBytes_ = 0;
  std::vector<Folder> stack_;
  std::unordered_set<std::uint32_t> open_;
  std::string path_, name_;
};

// Undoes the chunk cipher: stored byte i becomes ((stored - j) & 0xFF) ^ j,
// j being the low byte of i.
void decipherChunk(std::string& data) {
  for (std::size_t i = 0; i < data.size(); ++i) {
    const auto j = static_cast<unsigned char>(i);
    data[i] = static_cast<char>(((static_cast<unsigned char>(data[i]) - j) & 0xFF) ^ j);
  }
}

std::string moreThan(std::size_t want) { return "it unpacks to more than its " + std::to_string(want) + " bytes"; }

// Unpacks one LZ77 chunk into exactly `want` bytes at `out`.
bool unpackLz77(std::string_view in, char* out, std::size_t want, std::string& reason) {
  unsigned char ring[kRingSize] = {};
  unsigned w = 1;  // the first byte written goes to position 1
  std::size_t i = 0, n = 0;
  const auto* src = reinterpret_cast<const unsigned char*>(in.data());
  const std::size_t size = in.size();
  while (i < size) {
    const unsigned tag = src[i++];
    for (int bit = 0; bit < 8; ++bit) {
      if ((tag >> bit & 1) == 0) {
        if (i >= size) break;
        if (n == want) {
          reason = moreThan(want);
          return false;
        }
        const unsigned char c = src[i++];
        out[n++] = static_cast<char>(c);
        ring[w] = c;
        w = (w + 1) & (kRingSize - 1);
        continue;
      }
      if (i + 2 > size) {
        i = size;
        break;
      }
      const unsigned v = src[i] | (src[i + 1] << 8);
      i += 2;
      unsigned from = v >> 4;
      if (from == 0) {
        if (n == want) return true;
        reason = "it unpacks to " + std::to_string(n) + " bytes, not " + std::to_string(want);
        return false;
      }
      const unsigned count = (v & 0x0F) + 2;
      if (count > want - n) {
        reason = moreThan(want);
        return false;
      }
      for (unsigned k = 0; k < count; ++k) {
        const unsigned char c = ring[from];
        out[n++] = static_cast<char>(c);
        ring[w] = c;
        w = (w + 1) & (kRingSize - 1);
        from = (from + 1) & (kRingSize - 1);
      }
    }
  }
  reason = "its LZ77 stream ends before its end mark";
  return false;
}

// Unpacks zlib chunks, each a whole zlib stream, with the states made when
// first needed. libdeflate unpacks a sound stream at about twice zlib's
// speed; a stream it turns away is unpacked again by zlib, which tells what
// is wrong with it.
class Inflater {
 public:
  Inflater() = default;
  Inflater(const Inflater&) = delete;
  Inflater& operator=(const Inflater&) = delete;
  ~Inflater() {
    if (ready_) inflateEnd(&zs_);
#if QM_HAVE_LIBDEFLATE
    if (fast_) libdeflate_free_decompressor(fast_);
#endif
  }

  // Unpacks `in` into exactly `want` bytes at `out`.
  bool unpack(std::string_view in, char* out, std::size_t want, std::string& reason) {
#if QM_HAVE_LIBDEFLATE
    if (!fast_ && !(fast_ = libdeflate_alloc_decompressor())) throw std::bad_alloc();
    if (libdeflate_zlib_decompress(fast_, in.data(), in.size(), out, want, nullptr) == LIBDEFLATE_SUCCESS) return true;
#endif
    return unpackSlowly(in, out, want, reason);
  }

 private:
  bool unpackSlowly(std::string_view in, char* out, std::size_t want, std::string& reason) {
    if (!ready_ && inflateInit(&zs_) != Z_OK) throw std::bad_alloc();
    ready_ = true;
    inflateReset(&zs_);
    zs_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    zs_.avail_in = static_cast<uInt>(in.size());
    zs_.next_out = reinterpret_cast<Bytef*>(out);
    zs_.avail_out = static_cast<uInt>(want);
    int rc = inflate(&zs_, Z_FINISH);
    if (rc == Z_BUF_ERROR && zs_.avail_out == 0) {
      // The output is full: either the stream has more to give, or its input
      // ran out (inside its checksum, say). Room for one byte more tells.
      Bytef spare;
      zs_.next_out = &spare, zs_.avail_out = 1;
      rc = inflate(&zs_, Z_FINISH);
      if (zs_.avail_out == 0) {
        reason = moreThan(want);
        return false;
      }
      zs_.avail_out = 0;
    }
    if (rc == Z_STREAM_END && zs_.avail_out == 0) return true;
    if (rc == Z_STREAM_END)
      reason = "it unpacks to " + std::to_string(want - zs_.avail_out) + " bytes, not " + std::to_string(want);
    else if (rc == Z_BUF_ERROR)
      reason = "its zlib stream ends early";
    else
      reason = std::string("its zlib stream is damaged (") + (zs_.msg ? zs_.msg : "no detail") + ")";
    return false;
  }

  z_stream zs_{};
  bool ready_ = false;
#if QM_HAVE_LIBDEFLATE
  libdeflate_decompressor* fast_ = nullptr;
#endif
};

// What is wrong with a chunk header at `at`, `left` bytes of the file's
// output being still to come; empty when nothing is.
std::string checkChunkHeader(const ChunkHeader& h, std::uint64_t at, std::uint64_t left, std::uint64_t fileSize) {
  if (h.marker != ChunkHeader::kMarker) return "has no chunk marker";
  if (!isPackMethod(h.method)) return "has an unknown packing method " + std::to_string(h.method);
  if (h.unpackedLength > kChunkOutput || h.unpackedLength > left)
    return "unpacks to " + std::to_string(h.unpackedLength) + " bytes, more than the " +
           std::to_string(std::min<std::uint64_t>(left, kChunkOutput)) + " left";
  if (h.storedLength > mostStoredFor(h.unpackedLength))
    return "stores " + std::to_string(h.storedLength) + " bytes, more than " + std::to_string(h.unpackedLength) +
           " bytes could need";
  if (at + ChunkHeader::kSize + h.storedLength > fileSize) return "runs past the end of the file";
  if (h.method == static_cast<std::uint8_t>(PackMethod::Stored) && h.storedLength != h.unpackedLength)
    return "is stored plain but its two lengths differ";
  return {};
}

// Unpacks a chunk's stored bytes, checksum checked and chunk cipher undone,
// into exactly h.unpackedLength bytes at `out`.
bool unpackChunk(const ChunkHeader& h, const std::string& stored, char* out, Inflater& inflater, std::string& reason) {
  switch (static_cast<PackMethod>(h.method)) {
    case PackMethod::Stored:
      std::memcpy(out, stored.data(), stored.size());
      return true;
    case PackMethod::Lz77:
      return unpackLz77(stored, out, h.unpackedLength, reason);
    case PackMethod::Zlib:
      return inflater.unpack(stored, out, h.unpackedLength, reason);
  }
  return false;
}

std::string outOfMemory(std::string_view what, std::uint64_t bytes) {
  return "not enough memory to " + std::string(what) + " (" + std::to_string(bytes) + " bytes)";
}

}  // namespace

std::shared_ptr<const ArchiveBytes> openArchiveFile(const fs::path& path, std::string& reason) {
  std::FILE* file = platform::openRegularFile(path, reason);
  if (!file) return nullptr;
  std::error_code sizeError, timeError;
  const std::uint64_t size = fs::file_size(path, sizeError);
  const fs::file_time_type written = fs::last_write_time(path, timeError);
  if (sizeError || timeError) {
    std::fclose(file);
    reason = (sizeError ? sizeError : timeError).message();
    return nullptr;
  }
  return std::make_shared<FileBytes>(path, size, written, file);
}

std::shared_ptr<const ArchiveBytes> archiveInMemory(std::string bytes) {
  return std::make_shared<MemoryBytes>(std::move(bytes));
}

std::string archiveExtensionList(std::string_view separator, std::string_view before) {
  std::string out;
  for (std::string_view extension : kArchiveExtensions)
    out.append(out.empty() ? "" : separator).append(before).append(extension);
  return out;
}

std::string_view methodName(PackMethod method) {
  switch (method) {
    case PackMethod::Stored:
      return "none";
    case PackMethod::Lz77:
      return "lz77";
    case PackMethod::Zlib:
      return "zlib";
  }
  return "?";
}

std::shared_ptr<const Archive> Archive::open(const fs::path& path, std::string& reason) {
  auto bytes = openArchiveFile(path, reason);
  return bytes ? open(std::move(bytes), reason) : nullptr;
}

std::shared_ptr<const Archive> Archive::open(std::shared_ptr<const ArchiveBytes> bytes, std::string& reason) {
  std::shared_ptr<Archive> archive(new Archive);
  archive->bytes_ = std::move(bytes);
  const ReleaseAtEnd release{*archive->bytes_};  // ends before the archive does
  const std::uint64_t fileSize = archive->bytes_->size();
  char header[kHeaderSize];
  if (fileSize < kHeaderSize) {
    reason = damaged("too short for an archive header");
    return nullptr;
  }
  if (!archive->bytes_->readAt(0, kHeaderSize, header, reason)) return nullptr;
  if (getU32(header + kMarkerAt) != kMarker) {
    reason = damaged("no archive marker at its start");
    return nullptr;
  }
  const std::uint32_t version = getU32(header + kVersionAt);
  if (version == kSavedGame) {
    reason = "a saved game, not an archive";
    return nullptr;
  }
  if (version != kVersion) {
    reason = damaged("unknown version " + std::to_string(version));
    return nullptr;
  }
  const auto k = static_cast<std::uint8_t>(header[kKeyAt]);
  archive->cipher_ = static_cast<std::uint8_t>((k << 2) | (k >> 6));  // 0 only for the key 0
  const std::uint32_t start = getU32(header + kDirectoryStartAt), end = getU32(header + kDirectoryEndAt);
  try {
    if (!archive->readDirectory(start, end, reason)) return nullptr;
  } catch (const std::bad_alloc&) {
    reason = outOfMemory("read its directory", end - std::min(start, end));
    return nullptr;
  } catch (const std::length_error&) {
    reason = outOfMemory("read its directory", end - std::min(start, end));
    return nullptr;
  }
  return archive;
}

bool Archive::readPlain(std::uint64_t offset, std::size_t n, char* out, std::string& reason) const {
  if (!bytes_->readAt(offset, n, out, reason)) return false;
  if (cipher_ == 0) return true;
  // The outer cipher covers every byte after the header.
  for (std::size_t i = offset < kHeaderSize ? kHeaderSize - offset : 0; i < n; ++i)
    out[i] = static_cast<char>(static_cast<unsigned char>(out[i]) ^ cipher_ ^ ((offset + i) & 0xFF));
  return true;
}

bool Archive::readDirectory(std::uint32_t start, std::uint32_t end, std::string& reason) {
  const std::uint64_t fileSize = bytes_->size();
  if (start < kHeaderSize || start > end || end > fileSize) {
    reason = damaged("its directory (" + std::to_string(start) + " to " + std::to_string(end) +
                     ") lies outside the file of " + std::to_string(fileSize) + " bytes");
    return false;
  }
  DirectoryPages pages(*this, start, end);
  if (!DirectoryWalk(pages, fileSize, members_).run(start, reason)) return false;
  members_.shrink_to_fit();
  for (std::size_t i = 0; i < members_.size(); ++i) byFoldedPath_.emplace(folded(members_[i].path), i);
  return true;
}

const ArchiveMember* Archive::find(std::string_view path) const {
  const auto it = byFoldedPath_.find(folded(path));
  return it == byFoldedPath_.end() ? nullptr : &members_[it->second];
}

bool Archive::unpack(const ArchiveMember& member, std::string& out, std::string& reason) const {
  const ReleaseAtEnd release{*bytes_};
  out.clear();
  try {
    if (member.method != PackMethod::Stored) return unpackChunks(member, out, reason);
    out.resize(member.size);
    return readPlain(member.content, member.size, out.data(), reason);
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
  std::string().swap(out);
  reason = outOfMemory("unpack it", member.size);
  return false;
}

bool Archive::unpackChunks(const ArchiveMember& member, std::string& out, std::string& reason) const {
  const std::uint64_t fileSize = bytes_->size();
  const std::uint64_t chunks = chunkCount(member.size);
  std::uint64_t at = member.content + kChunkTableEntrySize * chunks;  // the chunks follow their length table
  std::string stored;
  Inflater inflater;
  for (std::uint64_t i = 0; i < chunks; ++i) {
    const std::string which = "chunk " + std::to_string(i + 1) + " of " + std::to_string(chunks);
    if (at + ChunkHeader::kSize > fileSize) {
      reason = damaged(which + " lies past the end of the file");
      return false;
    }
    char raw[ChunkHeader::kSize];
    if (!readPlain(at, ChunkHeader::kSize, raw, reason)) return false;
    const ChunkHeader h = ChunkHeader::read(raw);
    if (const std::string bad = checkChunkHeader(h, at, member.size - out.size(), fileSize); !bad.empty()) {
      reason = damaged(which + " " + bad);
      return false;
    }
    stored.resize(h.storedLength);
    if (!readPlain(at + ChunkHeader::kSize, h.storedLength, stored.data(), reason)) return false;
    std::uint32_t sum = 0;
    for (char c : stored) sum += static_cast<unsigned char>(c);
    if (sum != h.checksum) {
      reason = damaged(which + " has a wrong checksum");
      return false;
    }
    if (h.enciphered) decipherChunk(stored);
    const std::size_t start = out.size();
    out.resize(start + h.unpackedLength);
    if (!unpackChunk(h, stored, out.data() + start, inflater, reason)) {
      reason = damaged(which + ": " + reason);
      return false;
    }
    at += ChunkHeader::kSize + h.storedLength;
  }
  if (out.size() != member.size) {
    reason =
        damaged("its chunks unpack to " + std::to_string(out.size()) + " bytes, not " + std::to_string(member.size));
    return false;
  }
  return true;
}

}  // namespace qm
