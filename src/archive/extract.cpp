#include "archive/extract.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <set>
#include <system_error>
#include <thread>

#include "platform/files.h"
#include "platform/memory.h"
#include "text/text.h"

namespace qm {

namespace {

namespace fs = std::filesystem;

// Files written and not yet in their places: each takes its place once this
// many newer ones are written, by when the disk has mostly taken it.
// Four did best: fewer wait on the disk sooner, more leave more waiting at
// the end.
constexpr std::size_t kInFlight = 4;
// Files unpacked ahead of the one being written, and their bytes at most:
// writing is the faster, and a few buffers taken in turns keep their room.
constexpr std::size_t kMostAhead = 4;
constexpr std::uint64_t kMostWaiting = 64 << 20;

std::string shown(const fs::path& path) {
  const std::u8string s = path.u8string();
  return std::string(s.begin(), s.end());
}

// Whether `inner` lies inside `outer` (both made absolute, links resolved as
// far as they exist).
bool liesInside(const fs::path& inner, const fs::path& outer) {
  std::error_code ec;
  const fs::path rel = fs::weakly_canonical(inner, ec).lexically_relative(fs::weakly_canonical(outer, ec));
  return !ec && !rel.empty() && *rel.begin() != "..";
}

// The written files on their way to their places. A file takes its place
// when it has reached the disk (so an existing file is never left half
// written), kInFlight files after it was written, while the files after it
// are unpacked and written; the folders' new names reach the disk at the end,
// once a folder.
class InFlight {
 public:
  explicit InFlight(std::vector<std::string>& failures) : failures_(failures) {}
  ~InFlight() { finish(); }
  InFlight(const InFlight&) = delete;
  InFlight& operator=(const InFlight&) = delete;

  void add(std::size_t index, const fs::path& target, std::string_view bytes) {
    auto file = std::make_unique<platform::ReplacingFile>();
    std::optional<std::string> failed = file->open(target);
    if (!failed) failed = file->write(bytes);
    if (failed) {
      failures_[index] = shown(target) + ": " + *failed;
      return;
    }
    files_.push_back({index, target, std::move(file)});
    while (files_.size() > kInFlight) putInPlace();
  }

  void finish() {
    while (!files_.empty()) putInPlace();
    for (const fs::path& folder : folders_) platform::syncFolder(folder);
    folders_.clear();
  }

 private:
  void putInPlace() {
    Written& w = files_.front();
    if (auto failed = w.file->commit(false))
      failures_[w.index] = shown(w.target) + ": " + *failed;
    else
      folders_.insert(w.target.parent_path());
    files_.pop_front();
  }

  struct Written {
    std::size_t index;
    fs::path target;
    std::unique_ptr<platform::ReplacingFile> file;
  };
  std::vector<std::string>& failures_;
  std::deque<Written> files_;
  std::set<fs::path> folders_;
};

}  // namespace

std::string listedPath(std::string_view path) {
  std::string out;
  for (char c : cp1252ToUtf8(path)) {
    const char* escape = c == '\n' ? "\\n" : c == '\r' ? "\\r" : c == '\t' ? "\\t" : c == '\\' ? "\\\\" : nullptr;
    if (escape)
      out += escape;
    else
      out += c;
  }
  return out;
}

std::vector<ExtractTarget> extractTargets(const std::vector<const ArchiveMember*>& members, const fs::path& folder) {
  std::vector<ExtractTarget> targets;
  for (const ArchiveMember* m : members) {
    ExtractTarget t{m, folder};
    std::string_view rest = m->path;
    for (std::size_t cut; !rest.empty(); rest.remove_prefix(std::min(cut + 1, rest.size()))) {
      cut = std::min(rest.find('/'), rest.size());
      const std::string name = cp1252ToUtf8(rest.substr(0, cut));
      const fs::path part(std::u8string(name.begin(), name.end()));
      t.leaves =
          t.leaves || part.empty() || part.has_root_path() || part != part.filename() || part == "." || part == "..";
      t.path /= part;
    }
    t.leaves = t.leaves || !liesInside(t.path, folder);
    std::error_code ec;
    t.exists = !t.leaves && fs::exists(fs::symlink_status(t.path, ec));
    targets.push_back(std::move(t));
  }
  return targets;
}

std::vector<std::string> extractFiles(const Archive& archive, const fs::path& archivePath,
                                      std::string_view shownArchive, const std::vector<ExtractTarget>& targets) {
  const std::size_t n = targets.size();
  std::vector<std::string> failures(n);
  struct Unpacked {
    std::string bytes, failure;
    bool done = false;
  };
  std::vector<Unpacked> unpacked(n);
  std::mutex lock;
  std::condition_variable ready, room;
  std::size_t next = 0, writing = 0;
  std::uint64_t waiting = 0;
  bool stop = false;
  // Buffers written out, taken again for the next files: their room is
  // there already, so a file unpacks without growing a buffer page by page.
  std::vector<std::string> spare;
  // Each thread unpacks with the archive opened for itself (an archive is
  // for one thread), the next file as long as not too much waits.
  const auto unpackSome = [&](const Archive& own) {
    std::unique_lock<std::mutex> hold(lock);
    for (;;) {
      room.wait(hold, [&] {
        return stop || next >= n || next == writing || (waiting < kMostWaiting && next - writing < kMostAhead);
      });
      if (stop || next >= n) return;
      const std::size_t i = next++;
      if (targets[i].leaves) {
        unpacked[i].done = true;
        ready.notify_all();
        continue;
      }
      std::string bytes, why;
      if (!spare.empty()) {
        bytes = std::move(spare.back());
        spare.pop_back();
      }
      hold.unlock();
      const ArchiveMember& member = own.members()[targets[i].member - archive.members().data()];
      // Room for the whole file at once, as its size says, on large pages; a
      // damaged archive may claim more than its chunks hold, so no more than
      // kMostWaiting.
      // Without that room the unpacking grows the buffer, or says there is
      // not enough memory.
      bytes.clear();
      try {
        platform::reserveLarge(bytes, std::min<std::uint64_t>(member.size, kMostWaiting));
      } catch (const std::exception&) {
      }
      const bool ok = own.unpack(member, bytes, why);
      hold.lock();
      unpacked[i].bytes = std::move(bytes);
      if (!ok)
        unpacked[i].failure = std::string(shownArchive) + "/" + listedPath(member.path) + ": " + why + "; skipped";
      unpacked[i].done = true;
      waiting += unpacked[i].bytes.size();
      ready.notify_all();
    }
  };
  std::vector<std::shared_ptr<const Archive>> owns;
  std::string reason;
  const unsigned threads = n > 1 ? std::clamp(std::thread::hardware_concurrency(), 1u, 2u) : 1u;
  for (unsigned t = 0; t < threads; ++t)
    if (auto own = Archive::open(archivePath, reason)) owns.push_back(std::move(own));
  std::vector<std::thread> workers;
  for (const auto& own : owns) workers.emplace_back(unpackSome, std::cref(*own));
  struct Join {
    std::mutex& lock;
    bool& stop;
    std::condition_variable& room;
    std::vector<std::thread>& workers;
    ~Join() {
      {
        const std::lock_guard<std::mutex> hold(lock);
        stop = true;
      }
      room.notify_all();
      for (std::thread& t : workers) t.join();
    }
  } join{lock, stop, room, workers};
  if (workers.empty()) {
    // The archive could not be opened again: this thread unpacks alone.
    for (std::size_t i = 0; i < n; ++i) unpacked[i].done = true;
  }

  InFlight inFlight(failures);
  for (std::size_t i = 0; i < n; ++i) {
    std::string bytes, failure;
    {
      std::unique_lock<std::mutex> hold(lock);
      ready.wait(hold, [&] { return unpacked[i].done; });
      bytes = std::move(unpacked[i].bytes);
      failure = std::move(unpacked[i].failure);
      waiting -= bytes.size();
      writing = i + 1;
    }
    room.notify_all();
    const ExtractTarget& t = targets[i];
    if (t.leaves) continue;
    if (workers.empty() && !archive.unpack(*t.member, bytes, reason))
      failure = std::string(shownArchive) + "/" + listedPath(t.member->path) + ": " + reason + "; skipped";
    if (!failure.empty()) {
      failures[i] = std::move(failure);
      continue;
    }
    std::error_code ec;
    if (fs::create_directories(t.path.parent_path(), ec); ec) {
      failures[i] = shown(t.path.parent_path()) + ": " + ec.message() + "; " + listedPath(t.member->path) + " skipped";
      continue;
    }
    inFlight.add(i, t.path, bytes);
    const std::lock_guard<std::mutex> hold(lock);
    spare.push_back(std::move(bytes));
  }
  inFlight.finish();
  std::erase_if(failures, [](const std::string& f) { return f.empty(); });
  return failures;
}

}  // namespace qm
