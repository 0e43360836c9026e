#include "archive/archive_writer.h"

#if QM_HAVE_LIBDEFLATE
#include <libdeflate.h>
#else
#include <zlib.h>
#endif

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <new>
#include <stdexcept>
#include <system_error>
#include <thread>

#include "platform/files.h"
#include "platform/path_text.h"
#include "text/text.h"

namespace qm {

namespace {

namespace fs = std::filesystem;
using namespace archive_format;

// How far the files read run ahead of what is written, in bytes: enough
// chunks for every core.
constexpr std::uint64_t kBatchBytes = 8 << 20;
// Output is gathered into writes of about this size.
constexpr std::size_t kWriteBytes = 1 << 20;
constexpr std::uint64_t kMostOffset = UINT32_MAX;

// The game's LZ77: a ring of 4,096 bytes in which output byte j stands at
// position j + 1; a copy names a position and 2 to 17 bytes.
constexpr unsigned kRingSize = 4096;
constexpr std::size_t kLeastCopy = 3, kMostCopy = 17;
constexpr std::size_t kMostDistance = kRingSize - 1;
constexpr unsigned kHashBits = 14;
constexpr int kChainSteps = 48;

// Finds repeats through hash chains of the three bytes at each position.
class Lz77Packer {
 public:
  void pack(std::string_view plain, std::string& out) {
    const auto* p = reinterpret_cast<const unsigned char*>(plain.data());
    const std::size_t n = plain.size();
    head_.assign(std::size_t{1} << kHashBits, -1);
    prev_.resize(n);
    out.clear();
    out.reserve(n + n / 8 + 8);
    std::size_t tagAt = 0;
    int bit = 8;
    const auto item = [&](bool copy) {
      if (bit == 8) tagAt = out.size(), out += '\0', bit = 0;
      if (copy) out[tagAt] = static_cast<char>(out[tagAt] | 1 << bit);
      ++bit;
    };
    const auto hash = [&](std::size_t k) {
      return static_cast<unsigned>((p[k] | p[k + 1] << 8 | p[k + 2] << 16) * 2654435761u) >> (32 - kHashBits);
    };
    const auto insert = [&](std::size_t k) {
      if (k + kLeastCopy > n) return;
      const unsigned h = hash(k);
      prev_[k] = head_[h];
      head_[h] = static_cast<std::int32_t>(k);
    };
    for (std::size_t i = 0; i < n;) {
      std::size_t best = 0, bestFrom = 0;
      if (i + kLeastCopy <= n) {
        const std::size_t most = std::min(kMostCopy, n - i);
        int steps = kChainSteps;
        for (std::int32_t s = head_[hash(i)]; s >= 0 && i - s <= kMostDistance && steps-- > 0; s = prev_[s]) {
          // Position 0 is the end mark: the byte standing there cannot be named.
          if (((s + 1) & (kRingSize - 1)) == 0 || p[s + best] != p[i + best]) continue;
          std::size_t len = 0;
          while (len < most && p[s + len] == p[i + len]) ++len;  // may run into what the copy writes
          if (len > best) best = len, bestFrom = s;
          if (best == most) break;
        }
        insert(i);
      }
      if (best < kLeastCopy) {
        item(false);
        out += static_cast<char>(p[i++]);
        continue;
      }
      item(true);
      const unsigned v = ((bestFrom + 1) & (kRingSize - 1)) << 4 | static_cast<unsigned>(best - 2);
      out += static_cast<char>(v & 0xFF);
      out += static_cast<char>(v >> 8);
      for (std::size_t k = 1; k < best; ++k) insert(i + k);
      i += best;
    }
    item(true);  // the end mark: position 0
    out.append(2, '\0');
  }

 private:
  std::vector<std::int32_t> head_, prev_;
};

// The parts of `path` between '/', each with its letter case folded, for
// sorting and for telling paths apart as the game does.
std::vector<std::string> foldedParts(std::string_view path) {
  std::vector<std::string> parts;
  for (std::size_t from = 0;;) {
    const std::size_t cut = std::min(path.find('/', from), path.size());
    std::string part(path.substr(from, cut - from));
    for (char& c : part) c = foldLower(c);
    parts.push_back(std::move(part));
    if (cut == path.size()) return parts;
    from = cut + 1;
  }
}

std::string inQuotes(std::string_view path) { return "\"" + cp1252ToUtf8(path) + "\""; }

// The files in archive order (name order in each folder, letter case
// ignored), each with its folded parts; or why they cannot be packed.
struct Sorted {
  std::vector<std::size_t> order;
  std::vector<std::vector<std::string>> parts;  // by input index
};

std::optional<std::string> sortFiles(const std::vector<PackInput>& files, Sorted& sorted) {
  sorted.parts.clear();
  for (const PackInput& f : files) {
    sorted.parts.push_back(foldedParts(f.path));
    for (const std::string& part : sorted.parts.back())
      if (part.empty() || part == "." || part == "..")
        return inQuotes(f.path) + ": not a path inside an archive (an empty part, \".\" or \"..\")";
    if (f.path.size() > 1024) return inQuotes(f.path) + ": longer than an archive's paths may be";
  }
  sorted.order.resize(files.size());
  for (std::size_t i = 0; i < files.size(); ++i) sorted.order[i] = i;
  std::sort(sorted.order.begin(), sorted.order.end(),
            [&](std::size_t a, std::size_t b) { return sorted.parts[a] < sorted.parts[b]; });
  for (std::size_t k = 1; k < sorted.order.size(); ++k) {
    const auto& a = sorted.parts[sorted.order[k - 1]];
    const auto& b = sorted.parts[sorted.order[k]];
    const std::string& pathA = files[sorted.order[k - 1]].path;
    const std::string& pathB = files[sorted.order[k]].path;
    if (a == b)
      return inQuotes(pathA) + " and " + inQuotes(pathB) +
             " differ only in letter case: the game could not tell them apart";
    if (a.size() < b.size() && std::equal(a.begin(), a.end(), b.begin()))
      return inQuotes(pathA) + " is a file and a folder of " + inQuotes(pathB);
  }
  return std::nullopt;
}

// The directory of the sorted files: folder records, each followed by its
// entries, then the records below it; the names after the whole tree.
class DirectoryBuilder {
 public:
  DirectoryBuilder(const std::vector<PackInput>& files, const Sorted& sorted)
      : files_(files), sorted_(sorted), fileRecordAt_(files.size()) {}

  std::string build() {
    folder(0, sorted_.order.size(), 0);
    for (const auto& [entryAt, name] : names_) {
      put(entryAt + kEntryNameAt, here());
      dir_ += name;
      dir_ += '\0';
    }
    return std::move(dir_);
  }
  // Where the record of input `file` is in the archive.
  std::uint32_t fileRecordAt(std::size_t file) const { return fileRecordAt_[file]; }

 private:
  std::uint32_t here() const { return static_cast<std::uint32_t>(kHeaderSize + dir_.size()); }
  void put(std::uint32_t at, std::uint32_t value) { putU32(dir_.data() + at - kHeaderSize, value); }

  // The name of part `depth` of the input `file`, as it is written.
  std::string partName(std::size_t file, std::size_t depth) const {
    std::string_view path = files_[file].path;
    for (std::size_t d = 0; d < depth; ++d) path.remove_prefix(path.find('/') + 1);
    return std::string(path.substr(0, path.find('/')));
  }

  // The folder holding the sorted files [lo, hi) below `depth` parts.
  std::uint32_t folder(std::size_t lo, std::size_t hi, std::size_t depth) {
    struct Child {
      std::size_t lo, hi;
      bool isFolder;
    };
    std::vector<Child> children;
    for (std::size_t k = lo; k < hi;) {
      std::size_t end = k + 1;
      const auto& parts = sorted_.parts[sorted_.order[k]];
      while (end < hi && sorted_.parts[sorted_.order[end]][depth] == parts[depth]) ++end;
      children.push_back({k, end, parts.size() > depth + 1});
      k = end;
    }
    const std::uint32_t record = here();
    dir_.append(kFolderSize + kEntrySize * children.size(), '\0');
    put(record + kFolderCountAt, static_cast<std::uint32_t>(children.size()));
    put(record + kFolderFirstAt, record + static_cast<std::uint32_t>(kFolderSize));
    for (std::size_t c = 0; c < children.size(); ++c) {
      const auto entry = static_cast<std::uint32_t>(record + kFolderSize + kEntrySize * c);
      const std::size_t first = sorted_.order[children[c].lo];
      names_.emplace_back(entry, partName(first, depth));
      dir_[entry + kEntryIsFolderAt - kHeaderSize] = children[c].isFolder ? 1 : 0;
      std::uint32_t data;
      if (children[c].isFolder) {
        data = folder(children[c].lo, children[c].hi, depth + 1);
      } else {
        data = fileRecordAt_[first] = here();
        dir_.append(kFileRecordSize, '\0');
      }
      put(entry + kEntryDataAt, data);
    }
    return record;
  }

  const std::vector<PackInput>& files_;
  const Sorted& sorted_;
  std::vector<std::uint32_t> fileRecordAt_;
  std::vector<std::pair<std::uint32_t, std::string>> names_;
  std::string dir_;
};

// What goes to the archive file, gathered into large writes.
class Output {
 public:
  explicit Output(platform::ReplacingFile& file, std::uint64_t at) : file_(file), at_(at) {}
  std::uint64_t at() const { return at_ + pending_.size(); }
  std::optional<std::string> add(std::string_view bytes) {
    pending_.append(bytes);
    return pending_.size() >= kWriteBytes ? flush() : std::nullopt;
  }
  std::optional<std::string> flush() {
    auto failed = file_.write(pending_);
    at_ += pending_.size();
    pending_.clear();
    return failed;
  }

 private:
  platform::ReplacingFile& file_;
  std::uint64_t at_;
  std::string pending_;
};

// A chunk of a file, and its packed stream once done.
struct Chunk {
  std::string_view plain;
  std::string packed;
  bool done;
};

std::string tooLarge(std::string_view path) {
  return inQuotes(path) + ": larger than 4 GiB, the most an archive can hold";
}

// The bytes of the inputs, for the progress; a file whose size cannot be
// read counts for nothing.
std::uint64_t totalBytes(const std::vector<PackInput>& files) {
  std::uint64_t total = 0;
  for (const PackInput& f : files) {
    if (f.bytes) {
      total += f.bytes->size();
      continue;
    }
    std::error_code ec;
    const std::uint64_t size = fs::file_size(f.from, ec);
    if (!ec) total += size;
  }
  return total;
}

// An input's bytes: those given, or its file's; the reason when they cannot
// be had or are too many for an archive.
std::optional<std::string> inputBytes(PackInput& f, std::string& bytes) {
  if (f.bytes) {
    bytes = std::move(*f.bytes);
  } else {
    std::string reason;
    if (!platform::readRegularFile(f.from, bytes, reason, kMostOffset, "larger than 4 GiB"))
      return platform::utf8Of(f.from) + ": " + reason;
  }
  if (bytes.size() > kMostOffset) return tooLarge(f.path);
  return std::nullopt;
}

// A packed file's content: the table of its chunks' sizes, then each chunk
// behind its header. `table` and `header` are room reused from file to file.
std::optional<std::string> writeChunks(Output& out, const std::deque<Chunk>& chunks, std::size_t count,
                                       PackMethod method, std::string& table, std::string& header) {
  table.assign(kChunkTableEntrySize * count, '\0');
  for (std::size_t c = 0; c < count; ++c)
    putU32(table.data() + kChunkTableEntrySize * c,
           static_cast<std::uint32_t>(ChunkHeader::kSize + chunks[c].packed.size()));
  std::optional<std::string> failure = out.add(table);
  for (std::size_t c = 0; c < count && !failure; ++c) {
    const Chunk& ch = chunks[c];
    ChunkHeader h;
    h.method = static_cast<std::uint8_t>(method);
    h.storedLength = static_cast<std::uint32_t>(ch.packed.size());
    h.unpackedLength = static_cast<std::uint32_t>(ch.plain.size());
    for (char b : ch.packed) h.checksum += static_cast<unsigned char>(b);
    h.write(header.data());
    if (!(failure = out.add(header))) failure = out.add(ch.packed);
  }
  return failure;
}

// The archive's header, for a directory that ends at `dirEnd`.
std::string archiveHeader(std::uint64_t dirEnd) {
  std::string head(kHeaderSize, '\0');
  putU32(head.data() + kMarkerAt, kMarker);
  putU32(head.data() + kVersionAt, kVersion);
  putU32(head.data() + kDirectoryEndAt, static_cast<std::uint32_t>(dirEnd));
  putU32(head.data() + kKeyAt, 0);
  putU32(head.data() + kDirectoryStartAt, kHeaderSize);
  return head;
}

}  // namespace

std::string packLz77(std::string_view plain) {
  std::string out;
  Lz77Packer().pack(plain, out);
  return out;
}

ChunkPacker::ChunkPacker(PackMethod method, int level)
    : method_(method), level_(std::clamp(level, kLeastPackLevel, kMostPackLevel)) {
#if QM_HAVE_LIBDEFLATE
  if (method_ == PackMethod::Zlib && !(deflater_ = libdeflate_alloc_compressor(level_))) throw std::bad_alloc();
#endif
  if (method_ == PackMethod::Lz77) deflater_ = new Lz77Packer;
}

ChunkPacker::~ChunkPacker() {
  if (method_ == PackMethod::Lz77) delete static_cast<Lz77Packer*>(deflater_);
#if QM_HAVE_LIBDEFLATE
  if (method_ == PackMethod::Zlib) libdeflate_free_compressor(static_cast<libdeflate_compressor*>(deflater_));
#endif
}

void ChunkPacker::pack(std::string_view plain, std::string& out) {
  if (method_ == PackMethod::Lz77) return static_cast<Lz77Packer*>(deflater_)->pack(plain, out);
  if (method_ == PackMethod::Stored) return void(out.assign(plain));
#if QM_HAVE_LIBDEFLATE
  auto* d = static_cast<libdeflate_compressor*>(deflater_);
  out.resize(libdeflate_zlib_compress_bound(d, plain.size()));
  out.resize(libdeflate_zlib_compress(d, plain.data(), plain.size(), out.data(), out.size()));
#else
  // zlib's levels end at 9.
  uLongf size = compressBound(static_cast<uLong>(plain.size()));
  out.resize(size);
  if (compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(plain.data()),
                static_cast<uLong>(plain.size()), std::min(level_, 9)) != Z_OK)
    throw std::bad_alloc();
  out.resize(size);
#endif
}

std::optional<std::string> packRefusal(const std::vector<PackInput>& files) {
  Sorted sorted;
  return sortFiles(files, sorted);
}

PackOutcome packArchive(const fs::path& outPath, std::vector<PackInput> files, const PackOptions& options,
                        const PackProgress& progress) {
  PackOutcome outcome;
  Sorted sorted;
  if ((outcome.failure = sortFiles(files, sorted))) return outcome;
  try {
    DirectoryBuilder builder(files, sorted);
    std::string dir = builder.build();
    const std::uint64_t dirEnd = kHeaderSize + dir.size();
    if (dirEnd > kMostOffset) {
      outcome.failure = "the directory of so many files passes 4 GiB";
      return outcome;
    }
    const std::uint64_t total = totalBytes(files);

    platform::ReplacingFile file;
    if ((outcome.failure = file.open(outPath))) return outcome;
    if ((outcome.failure = file.write(std::string(dirEnd, '\0')))) return outcome;
    Output out(file, dirEnd);

    // Packers take the chunks in turn as they come, while this thread reads
    // the files ahead and writes what is packed in order: no core waits for
    // another at the end of a batch.
    const unsigned threads =
        options.method == PackMethod::Stored
            ? 0
            : std::max(1u, options.threads ? options.threads : std::thread::hardware_concurrency());
    std::vector<std::unique_ptr<ChunkPacker>> packers;
    for (unsigned t = 0; t < threads; ++t)
      packers.push_back(std::make_unique<ChunkPacker>(options.method, options.level));
    struct Held {
      std::size_t index;  // of the input
      std::string bytes;
      std::size_t chunks;
    };
    std::deque<Held> held;     // read, not yet written
    std::deque<Chunk> chunks;  // of the held files, in order
    std::size_t taken = 0;     // chunks given to a packer, counted from chunks.front()
    std::mutex lock;
    std::condition_variable work, packed;
    bool stop = false, failed = false;
    const auto packer = [&](unsigned t) {
      std::unique_lock<std::mutex> guard(lock);
      for (;;) {
        work.wait(guard, [&] { return stop || taken < chunks.size(); });
        if (stop) return;
        Chunk& chunk = chunks[taken++];
        guard.unlock();
        try {
          packers[t]->pack(chunk.plain, chunk.packed);
        } catch (...) {
          guard.lock();
          failed = stop = true;
          packed.notify_all();
          work.notify_all();
          return;
        }
        guard.lock();
        chunk.done = true;
        packed.notify_all();
      }
    };
    std::vector<std::thread> workers;
    struct Join {
      std::mutex& lock;
      bool& stop;
      std::condition_variable& work;
      std::vector<std::thread>& workers;
      ~Join() {
        {
          const std::lock_guard<std::mutex> hold(lock);
          stop = true;
        }
        work.notify_all();
        for (std::thread& t : workers) t.join();
      }
    } join{lock, stop, work, workers};
    for (unsigned t = 0; t < threads; ++t) workers.emplace_back(packer, t);

    std::string header(ChunkHeader::kSize, '\0'), table;
    std::uint64_t ahead = 0, done = 0;
    std::unique_lock<std::mutex> hold(lock);
    for (std::size_t next = 0; next < sorted.order.size() || !held.empty();) {
      if (failed) throw std::bad_alloc();
      // The first held file, once all its chunks are packed, is written.
      if (!held.empty() &&
          std::all_of(chunks.begin(), chunks.begin() + held.front().chunks, [](const Chunk& c) { return c.done; })) {
        hold.unlock();
        const Held& f = held.front();
        const std::uint64_t content = out.at();
        const std::uint32_t record = builder.fileRecordAt(f.index) - kHeaderSize;
        putU32(dir.data() + record + kFileContentAt, static_cast<std::uint32_t>(content));
        putU32(dir.data() + record + kFileSizeAt, static_cast<std::uint32_t>(f.bytes.size()));
        dir[record + kFileMethodAt] = static_cast<char>(options.method);
        if (options.method == PackMethod::Stored) {
          outcome.failure = out.add(f.bytes);
        } else {
          outcome.failure = writeChunks(out, chunks, f.chunks, options.method, table, header);
        }
        if (outcome.failure) return outcome;
        if (out.at() > kMostOffset) {
          outcome.failure = "the archive would pass 4 GiB, the most its offsets can reach";
          return outcome;
        }
        outcome.files.push_back({files[f.index].path, f.bytes.size(), out.at() - content});
        outcome.bytesIn += f.bytes.size();
        done += f.bytes.size();
        if (progress && !progress(done, std::max(total, done))) {
          outcome.cancelled = true;
          outcome.files.clear();
          return outcome;
        }
        hold.lock();
        ahead -= f.bytes.size();
        taken -= f.chunks;
        chunks.erase(chunks.begin(), chunks.begin() + f.chunks);
        held.pop_front();
        continue;
      }
      // Else the next file is read, while not too much is ahead.
      if (next < sorted.order.size() && (held.empty() || ahead < kBatchBytes)) {
        hold.unlock();
        PackInput& f = files[sorted.order[next]];
        std::string bytes;
        if ((outcome.failure = inputBytes(f, bytes))) return outcome;
        hold.lock();
        held.push_back({sorted.order[next++], std::move(bytes), 0});
        Held& h = held.back();  // its bytes stay where they are while it is held
        if (threads > 0)
          for (std::uint64_t at = 0; at < h.bytes.size(); at += kChunkOutput, ++h.chunks)
            chunks.push_back({std::string_view(h.bytes).substr(at, kChunkOutput), {}, false});
        ahead += h.bytes.size();
        work.notify_all();
        continue;
      }
      packed.wait(hold);
    }
    hold.unlock();
    if ((outcome.failure = out.flush())) return outcome;
    outcome.bytesOut = out.at();
    if ((outcome.failure = file.writeAt(0, archiveHeader(dirEnd) + dir))) return outcome;
    outcome.failure = file.commit();
  } catch (const std::bad_alloc&) {
    outcome.failure = "not enough memory to pack the files";
  } catch (const std::length_error&) {
    outcome.failure = "not enough memory to pack the files";
  }
  if (outcome.failure) outcome.files.clear();
  return outcome;
}

namespace {

// Walks `folder` (whose real path is `real`), naming each file `prefix` +
// its name. `walked` holds the real paths of the folders being walked.
std::optional<std::string> walk(const fs::path& root, const fs::path& folder, const std::string& prefix,
                                std::vector<fs::path>& walked, std::vector<PackInput>& out) {
  std::error_code ec;
  std::vector<fs::directory_entry> entries;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) entries.push_back(*it);
  if (ec) return platform::utf8Of(folder) + ": " + ec.message();
  for (const fs::directory_entry& entry : entries) {
    const fs::path& path = entry.path();
    const std::string shown = platform::utf8Of(path);
    const std::string utf8 = platform::utf8Of(path.filename());
    const std::string name = utf8ToCp1252(utf8);
    if (std::count(name.begin(), name.end(), '?') != std::count(utf8.begin(), utf8.end(), '?'))
      return shown + ": a name Windows-1252 cannot hold";
    fs::file_status status = entry.symlink_status(ec);
    if (ec) return shown + ": " + ec.message();
    if (fs::is_symlink(status)) {
      const fs::path real = fs::canonical(path, ec);
      if (ec == std::errc::too_many_symbolic_link_levels) return shown + ": a symbolic link round in a loop";
      if (ec) return shown + ": a symbolic link that leads nowhere (" + ec.message() + ")";
      const auto rel = real.lexically_relative(walked.front());
      if (rel.empty() || *rel.begin() == "..")
        return shown + ": a symbolic link that leads out of " + platform::utf8Of(root);
      if (std::find(walked.begin(), walked.end(), real) != walked.end())
        return shown + ": a symbolic link round in a loop";
      status = fs::status(real, ec);
      if (ec) return shown + ": " + ec.message();
      if (fs::is_directory(status)) {
        walked.push_back(real);
        if (auto failed = walk(root, real, prefix + name + '/', walked, out)) return failed;
        walked.pop_back();
        continue;
      }
    }
    if (fs::is_directory(status)) {
      walked.push_back(fs::canonical(path, ec));
      if (ec) return shown + ": " + ec.message();
      if (auto failed = walk(root, path, prefix + name + '/', walked, out)) return failed;
      walked.pop_back();
    } else if (fs::is_regular_file(status)) {
      out.push_back({prefix + name, path, std::nullopt});
    } else {
      return shown + ": neither a file nor a folder";
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> filesToPack(const fs::path& folder, std::vector<PackInput>& out) {
  std::error_code ec;
  const fs::path real = fs::canonical(folder, ec);
  if (ec) return platform::utf8Of(folder) + ": " + ec.message();
  if (!fs::is_directory(real, ec)) return platform::utf8Of(folder) + ": not a folder";
  std::vector<fs::path> walked{real};
  return walk(folder, folder, "", walked, out);
}

}  // namespace qm
