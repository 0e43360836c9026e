#include "archive/archive.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <system_error>
#include <unordered_set>

#include "platform/files.h"
#include "text/text.h"

namespace qm {

namespace {

constexpr std::uint32_t kMarker = 0x49504148;       // "HAPI"
constexpr std::uint32_t kVersion = 0x00010000;
constexpr std::uint32_t kSavedGame = 0x4B4E4142;    // "BANK"
constexpr std::uint32_t kChunkMarker = 0x48535153;  // "SQSH"
constexpr std::size_t kHeaderSize = 20;
constexpr std::size_t kFolderSize = 8;
constexpr std::size_t kEntrySize = 9;
constexpr std::size_t kFileRecordSize = 9;
constexpr std::size_t kChunkHeaderSize = 19;
constexpr std::uint32_t kChunkOutput = 65536;  // the most one chunk unpacks to
constexpr unsigned kRingSize = 4096;

std::uint32_t U32(const char* p) {
  const auto* b = reinterpret_cast<const unsigned char*>(p);
  return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}

std::string Damaged(std::string_view what) { return "damaged archive: " + std::string(what); }

std::string Folded(std::string_view path) {
  std::string out;
  out.reserve(path.size());
  for (char c : path) out += c == '\\' ? '/' : FoldLower(c);
  while (!out.empty() && out[0] == '/') out.erase(0, 1);
  return out;
}

// An archive on disk, kept open as the platform opens regular files.
class FileBytes : public ArchiveBytes {
 public:
  FileBytes(std::FILE* file, std::uint64_t size) : file_(file), size_(size) {}
  ~FileBytes() override { std::fclose(file_); }
  FileBytes(const FileBytes&) = delete;
  FileBytes& operator=(const FileBytes&) = delete;
  std::uint64_t size() const override { return size_; }
  bool ReadAt(std::uint64_t offset, std::size_t n, char* out, std::string& reason) const override {
    return platform::readAt(file_, offset, n, out, reason);
  }

 private:
  std::FILE* file_;
  std::uint64_t size_;
};

class MemoryBytes : public ArchiveBytes {
 public:
  explicit MemoryBytes(std::string bytes) : bytes_(std::move(bytes)) {}
  std::uint64_t size() const override { return bytes_.size(); }
  bool ReadAt(std::uint64_t offset, std::size_t n, char* out, std::string&) const override {
    std::memcpy(out, bytes_.data() + offset, n);
    return true;
  }

 private:
  std::string bytes_;
};

// Undoes the chunk cipher: stored byte i becomes ((stored - j) & 0xFF) ^ j,
// j being the low byte of i.
void DecipherChunk(std::string& data) {
  for (std::size_t i = 0; i < data.size(); ++i) {
    const auto j = static_cast<unsigned char>(i);
    data[i] = static_cast<char>(((static_cast<unsigned char>(data[i]) - j) & 0xFF) ^ j);
  }
}

// Unpacks one LZ77 chunk into exactly `want` bytes at `out`.
bool UnpackLz77(std::string_view in, char* out, std::size_t want, std::string& reason) {
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
          reason = "it unpacks to more than its " + std::to_string(want) + " bytes";
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
        reason = "it unpacks to more than its " + std::to_string(want) + " bytes";
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

// Unpacks one zlib chunk (a whole zlib stream) into exactly `want` bytes.
bool UnpackZlib(z_stream& zs, std::string_view in, char* out, std::size_t want, std::string& reason) {
  inflateReset(&zs);
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
  zs.avail_in = static_cast<uInt>(in.size());
  zs.next_out = reinterpret_cast<Bytef*>(out);
  zs.avail_out = static_cast<uInt>(want);
  const int rc = inflate(&zs, Z_FINISH);
  if (rc == Z_STREAM_END) {
    if (zs.avail_out == 0) return true;
    reason = "it unpacks to " + std::to_string(want - zs.avail_out) + " bytes, not " + std::to_string(want);
  } else if (rc == Z_BUF_ERROR && zs.avail_out == 0) {
    reason = "it unpacks to more than its " + std::to_string(want) + " bytes";
  } else if (rc == Z_BUF_ERROR) {
    reason = "its zlib stream ends early";
  } else {
    reason = std::string("its zlib stream is damaged (") + (zs.msg ? zs.msg : "no detail") + ")";
  }
  return false;
}

}  // namespace

std::shared_ptr<const ArchiveBytes> OpenArchiveFile(const std::filesystem::path& path, std::string& reason) {
  std::FILE* file = platform::openRegularFile(path, reason);
  if (!file) return nullptr;
  std::error_code ec;
  const std::uint64_t size = std::filesystem::file_size(path, ec);
  if (ec) {
    std::fclose(file);
    reason = ec.message();
    return nullptr;
  }
  return std::make_shared<FileBytes>(file, size);
}

std::shared_ptr<const ArchiveBytes> ArchiveInMemory(std::string bytes) {
  return std::make_shared<MemoryBytes>(std::move(bytes));
}

std::string_view MethodName(PackMethod method) {
  switch (method) {
    case PackMethod::Stored: return "none";
    case PackMethod::Lz77: return "lz77";
    case PackMethod::Zlib: return "zlib";
  }
  return "?";
}

std::shared_ptr<const Archive> Archive::Open(const std::filesystem::path& path, std::string& reason) {
  auto bytes = OpenArchiveFile(path, reason);
  return bytes ? Open(std::move(bytes), reason) : nullptr;
}

std::shared_ptr<const Archive> Archive::Open(std::shared_ptr<const ArchiveBytes> bytes, std::string& reason) {
  std::shared_ptr<Archive> archive(new Archive);
  archive->bytes_ = std::move(bytes);
  const std::uint64_t fileSize = archive->bytes_->size();
  char header[kHeaderSize];
  if (fileSize < kHeaderSize) {
    reason = Damaged("too short for an archive header");
    return nullptr;
  }
  if (!archive->bytes_->ReadAt(0, kHeaderSize, header, reason)) return nullptr;
  if (U32(header) != kMarker) {
    reason = Damaged("no archive marker at its start");
    return nullptr;
  }
  const std::uint32_t version = U32(header + 4);
  if (version == kSavedGame) {
    reason = "a saved game, not an archive";
    return nullptr;
  }
  if (version != kVersion) {
    reason = Damaged("unknown version " + std::to_string(version));
    return nullptr;
  }
  archive->dirEnd_ = U32(header + 8);
  const auto k = static_cast<std::uint8_t>(header[12]);
  archive->cipher_ = static_cast<std::uint8_t>((k << 2) | (k >> 6));  // 0 only for the key 0
  archive->dirStart_ = U32(header + 16);
  if (!archive->ReadDirectory(reason)) return nullptr;
  return archive;
}

bool Archive::ReadPlain(std::uint64_t offset, std::size_t n, char* out, std::string& reason) const {
  if (!bytes_->ReadAt(offset, n, out, reason)) return false;
  if (cipher_ == 0) return true;
  // The outer cipher covers every byte after the header.
  for (std::size_t i = offset < kHeaderSize ? kHeaderSize - offset : 0; i < n; ++i)
    out[i] = static_cast<char>(static_cast<unsigned char>(out[i]) ^ cipher_ ^ ((offset + i) & 0xFF));
  return true;
}

bool Archive::ReadDirectory(std::string& reason) {
  const std::uint64_t fileSize = bytes_->size();
  if (dirStart_ < kHeaderSize || dirStart_ > dirEnd_ || dirEnd_ > fileSize) {
    reason = Damaged("its directory (" + std::to_string(dirStart_) + " to " + std::to_string(dirEnd_) +
                     ") lies outside the file of " + std::to_string(fileSize) + " bytes");
    return false;
  }
  directory_.resize(dirEnd_ - dirStart_);
  if (!ReadPlain(dirStart_, directory_.size(), directory_.data(), reason)) return false;

  // `size` bytes at absolute offset `at`, if the directory holds them.
  auto in = [this](std::uint64_t at, std::uint64_t size) -> const char* {
    if (at < dirStart_ || at + size > dirEnd_) return nullptr;
    return directory_.data() + (at - dirStart_);
  };

  // A walk of the tree with an explicit stack, so a deep tree needs no deep
  // recursion. A folder whose record is already open further up contains
  // itself; a directory whose folders share entries could list more than it
  // holds, so the walk stops after as many entries as fit in the directory.
  struct Folder {
    std::uint32_t record, next, end;  // record offset; entries not yet read
    std::size_t prefix;               // length of the folder's path with its '/'
  };
  std::vector<Folder> stack;
  std::unordered_set<std::uint32_t> open;
  std::string path;
  const std::uint64_t entryLimit = directory_.size() / kEntrySize;
  std::uint64_t entriesSeen = 0;

  auto enter = [&](std::uint32_t record, const std::string& name) {
    const char* p = in(record, kFolderSize);
    if (!p) {
      reason = Damaged("folder \"" + name + "\" lies outside the directory");
      return false;
    }
    if (!open.insert(record).second) {
      reason = Damaged("folder \"" + name + "\" contains itself");
      return false;
    }
    const std::uint32_t count = U32(p), first = U32(p + 4);
    if (count > 0 && !in(first, std::uint64_t{count} * kEntrySize)) {
      reason = Damaged("folder \"" + name + "\" lists " + std::to_string(count) +
                       " entries that do not fit the directory");
      return false;
    }
    const std::uint32_t end = count > 0 ? static_cast<std::uint32_t>(first + count * kEntrySize) : first;
    stack.push_back({record, first, end, path.size()});
    return true;
  };

  if (!enter(dirStart_, "/")) return false;
  while (!stack.empty()) {
    Folder& top = stack.back();
    if (top.next == top.end) {
      open.erase(top.record);
      stack.pop_back();
      if (!stack.empty()) path.resize(stack.back().prefix);
      continue;
    }
    if (++entriesSeen > entryLimit) {
      reason = Damaged("its directory lists more entries than it holds");
      return false;
    }
    const char* e = in(top.next, kEntrySize);
    top.next += kEntrySize;
    path.resize(top.prefix);
    const std::uint32_t nameAt = U32(e), dataAt = U32(e + 4);
    const bool isFolder = e[8] != 0;
    const char* name = in(nameAt, 1);
    const void* nul = name ? std::memchr(name, '\0', dirEnd_ - nameAt) : nullptr;
    // A name must end inside the directory, and be one plain name, so that
    // every path means one file.
    const std::string_view plain(name, nul ? static_cast<const char*>(nul) - name : 0);
    if (!nul || plain.empty() || plain.find_first_of("/\\") != std::string_view::npos) {
      reason = Damaged("an entry of \"" + (path.empty() ? std::string("/") : path) + "\" has " +
                       (!name ? "a name outside the directory" : !nul ? "a name with no end"
                        : plain.empty() ? "an empty name" : "a name with a slash in it"));
      return false;
    }
    path += plain;
    if (isFolder) {
      path += '/';
      if (!enter(dataAt, path)) return false;
      continue;
    }
    const char* r = in(dataAt, kFileRecordSize);
    if (!r) {
      reason = Damaged("the record of \"" + path + "\" lies outside the directory");
      return false;
    }
    ArchiveMember m{path, U32(r + 4), static_cast<PackMethod>(r[8]), U32(r)};
    const auto method = static_cast<unsigned char>(r[8]);
    if (method > 2) {
      reason = Damaged("\"" + path + "\" has an unknown packing method " + std::to_string(method));
      return false;
    }
    // Stored content must lie in the file; packed content needs at least a
    // table entry and a chunk header per 64 KiB of output.
    const std::uint64_t chunks = (std::uint64_t{m.size} + kChunkOutput - 1) / kChunkOutput;
    const std::uint64_t least =
        m.method == PackMethod::Stored ? m.size : chunks * (4 + kChunkHeaderSize);
    if (m.content + least > fileSize) {
      reason = Damaged("\"" + path + "\" claims " + std::to_string(m.size) +
                       " bytes that the file cannot hold at offset " + std::to_string(m.content));
      return false;
    }
    byFoldedPath_.emplace(Folded(m.path), members_.size());
    members_.push_back(std::move(m));
  }
  return true;
}

const ArchiveMember* Archive::Find(std::string_view path) const {
  const auto it = byFoldedPath_.find(Folded(path));
  return it == byFoldedPath_.end() ? nullptr : &members_[it->second];
}

bool Archive::Unpack(const ArchiveMember& member, std::string& out, std::string& reason) const {
  out.clear();
  if (member.method != PackMethod::Stored) return UnpackChunks(member, out, reason);
  out.resize(member.size);
  return ReadPlain(member.content, member.size, out.data(), reason);
}

bool Archive::UnpackChunks(const ArchiveMember& member, std::string& out, std::string& reason) const {
  const std::uint64_t fileSize = bytes_->size();
  const std::uint64_t chunks = (std::uint64_t{member.size} + kChunkOutput - 1) / kChunkOutput;
  std::uint64_t at = member.content + 4 * chunks;  // the chunks follow their length table
  std::string stored;
  z_stream zs{};
  bool zlibReady = false;
  struct ZlibEnd {
    z_stream& zs;
    bool& ready;
    ~ZlibEnd() {
      if (ready) inflateEnd(&zs);
    }
  } zlibEnd{zs, zlibReady};

  for (std::uint64_t i = 0; i < chunks; ++i) {
    const std::string which = "chunk " + std::to_string(i + 1) + " of " + std::to_string(chunks);
    char h[kChunkHeaderSize];
    if (at + kChunkHeaderSize > fileSize) {
      reason = Damaged(which + " lies past the end of the file");
      return false;
    }
    if (!ReadPlain(at, kChunkHeaderSize, h, reason)) return false;
    const auto method = static_cast<unsigned char>(h[5]);
    const bool enciphered = h[6] != 0;
    const std::uint32_t storedLen = U32(h + 7), unpackedLen = U32(h + 11), checksum = U32(h + 15);
    const std::uint64_t left = member.size - out.size();
    std::string bad;
    if (U32(h) != kChunkMarker) {
      bad = "has no chunk marker";
    } else if (method > 2) {
      bad = "has an unknown packing method " + std::to_string(method);
    } else if (unpackedLen > kChunkOutput || unpackedLen > left) {
      bad = "unpacks to " + std::to_string(unpackedLen) + " bytes, more than the " +
            std::to_string(std::min<std::uint64_t>(left, kChunkOutput)) + " left";
    } else if (at + kChunkHeaderSize + storedLen > fileSize) {
      bad = "runs past the end of the file";
    } else if (method == 0 && storedLen != unpackedLen) {
      bad = "is stored plain but its two lengths differ";
    }
    if (!bad.empty()) {
      reason = Damaged(which + " " + bad);
      return false;
    }

    stored.resize(storedLen);
    if (!ReadPlain(at + kChunkHeaderSize, storedLen, stored.data(), reason)) return false;
    std::uint32_t sum = 0;
    for (char c : stored) sum += static_cast<unsigned char>(c);
    if (sum != checksum) {
      reason = Damaged(which + " has a wrong checksum");
      return false;
    }
    if (enciphered) DecipherChunk(stored);

    const std::size_t start = out.size();
    out.resize(start + unpackedLen);
    bool ok = true;
    if (method == 0) {
      std::memcpy(out.data() + start, stored.data(), storedLen);
    } else if (method == 1) {
      ok = UnpackLz77(stored, out.data() + start, unpackedLen, reason);
    } else {
      if (!zlibReady) {
        if (inflateInit(&zs) != Z_OK) {
          reason = "out of memory";
          return false;
        }
        zlibReady = true;
      }
      ok = UnpackZlib(zs, stored, out.data() + start, unpackedLen, reason);
    }
    if (!ok) {
      reason = Damaged(which + ": " + reason);
      return false;
    }
    at += kChunkHeaderSize + storedLen;
  }
  if (out.size() != member.size) {
    reason = Damaged("its chunks unpack to " + std::to_string(out.size()) + " bytes, not " +
                     std::to_string(member.size));
    return false;
  }
  return true;
}

}  // namespace qm
