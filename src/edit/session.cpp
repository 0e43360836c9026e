#include "edit/session.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <system_error>

#include "catalogue/game_files.h"
#include "edit/diff.h"
#include "edit/value_checks.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "platform/path_text.h"
#include "text/text.h"

namespace qm::edit {

namespace {

namespace fs = std::filesystem;

// Whether the file at `path` still holds `bytes`, read a piece at a time
// and compared with them: nothing with `reason` when it cannot be read whole.
// The comparison is exact, and costs less than hashing the bytes.
std::optional<bool> holds(const fs::path& path, std::string_view bytes, std::string& reason) {
  constexpr std::size_t kPiece = 256 * 1024;  // read while it is in the processor's cache
  std::FILE* file = platform::openRegularFile(path, reason);
  if (!file) return std::nullopt;
  std::string piece(std::min(bytes.size(), kPiece), '\0');
  std::optional<bool> same = true;
  for (std::size_t at = 0; same.value_or(false) && at < bytes.size(); at += kPiece) {
    const std::size_t n = std::min(bytes.size() - at, kPiece);
    if (!platform::readAt(file, at, n, piece.data(), reason))
      same.reset();
    else
      same = std::memcmp(piece.data(), bytes.data() + at, n) == 0;
  }
  std::fclose(file);
  return same;
}

constexpr std::size_t kRoomToGrow = 64 * 1024;

}  // namespace

Session::Session(fs::path gameDir, std::vector<WeaponFilePtr> gameFiles, std::vector<WeaponFilePtr> imports)
    : gameDir_(std::move(gameDir)), search_(std::move(gameFiles)), gameFileCount_(search_.size()) {
  search_.insert(search_.end(), imports.begin(), imports.end());
}

Session::Stamp Session::stampOf(const fs::path& path) {
  Stamp s;
  std::error_code ec;
  if (path.empty() || !fs::exists(path, ec)) return s;
  s.size = fs::file_size(path, ec);
  s.time = static_cast<std::int64_t>(fs::last_write_time(path, ec).time_since_epoch().count());
  s.exists = !ec;
  return s;
}

std::optional<std::size_t> Session::locate(const std::string& weapon, Applied& out, std::optional<CopyPlace>& copy) {
  copy.reset();
  std::optional<std::size_t> loaded;  // a file of the session that holds the weapon
  std::optional<std::size_t> fresh;   // or a place in the search list, not read before
  std::string bytes, scratch, reason;
  Stamp stamp;
  for (std::size_t i = 0; i < search_.size(); ++i) {
    std::optional<std::size_t> in;
    for (std::size_t f = 0; f < files_.size(); ++f)
      if (files_[f].search == i) in = f;
    // The loader, knowing no comments, shows a copy in a comment of a later
    // file where the game reads an earlier file's block.
    const auto copyIn = [&](std::string_view text) {
      const auto c = commentedCopy(text, weapon);
      if (c && c->liveLine == 0) copy = CopyPlace{search_[i]->name(), c->copyLine};
    };
    if (in) {
      if (findBlock(files_[*in].current, weapon)) loaded = in, fresh.reset(), copy.reset();
      copyIn(files_[*in].current);
      continue;
    }
    // Stamped before reading: a change made while it is read shows at the save.
    const Stamp before = stampOf(search_[i]->diskPath());
    if (!search_[i]->read(scratch, reason)) {
      const UnreadableFile bad{search_[i]->name(), reason};
      if (std::find(out.unreadable.begin(), out.unreadable.end(), bad) == out.unreadable.end())
        out.unreadable.push_back(bad);
      continue;
    }
    copyIn(scratch);
    if (findBlock(scratch, weapon)) {
      fresh = i, loaded.reset(), copy.reset();
      bytes.swap(scratch);
      stamp = before;
    }
  }
  if (loaded) return loaded;
  if (!fresh) {
    if (copy)
      out.refusal = "[" + cp1252ToUtf8(weapon) + "] is only in a /* */ comment, at " + copy->file + ":" +
                    std::to_string(copy->line) + ", which the game skips";
    return std::nullopt;
  }
  if (!search_[*fresh]->innerPath().empty() && *fresh >= gameFileCount_) {
    out.refusal =
        search_[*fresh]->name() + " is a file of an imported archive, and Quillmark never writes into an archive";
    return std::nullopt;
  }
  return adopt(*fresh, search_[*fresh], std::move(bytes), stamp);
}

std::size_t Session::adopt(std::size_t search, WeaponFilePtr source, std::string bytes, Stamp stamp) {
  File f;
  f.search = search;
  f.source = std::move(source);
  const std::string inner = f.source->innerPath();
  f.fromArchive = !inner.empty();
  f.target = f.fromArchive ? loosePath(gameDir_, inner) : f.source->diskPath();
  // For a file of an archive: no loose file there, or the archive would not have been read.
  f.stamp = f.fromArchive ? stampOf(f.target) : stamp;
  f.current = std::move(bytes);
  files_.push_back(std::move(f));
  return files_.size() - 1;
}

std::optional<std::size_t> Session::locate(const BlockRules& rules, Applied& out) {
  const WeaponFilePtr source = rules.file();
  if (!source) return std::nullopt;
  for (std::size_t f = 0; f < files_.size(); ++f)
    if (files_[f].source->name() == source->name()) return f;
  const Stamp before = stampOf(source->diskPath());
  std::string bytes, reason;
  if (!source->read(bytes, reason)) {
    out.unreadable.push_back({source->name(), reason});
    out.refusal = source->name() + ": " + reason;
    return std::nullopt;
  }
  return adopt(kNotSearched, source, std::move(bytes), before);
}

void Session::File::keepSaved() {
  if (!unchanged) return;
  original.swap(current);
  current.clear();
  // Room for the edits to grow the file without moving it again.
  platform::reserveLarge(current, original.size() + kRoomToGrow);
  current = original;
  unchanged = false;
}

bool Session::reread(File& f, std::string& reason) {
  const Stamp before = stampOf(f.target);
  std::string bytes;
  const bool ok = before.exists
                      ? platform::readRegularFile(f.target, bytes, reason, kLargestWeaponFile, kMsgFileTooLarge)
                      : f.source->read(bytes, reason);
  if (!ok) return false;
  f.current = std::move(bytes);
  f.original.clear();
  f.unchanged = true;
  f.stamp = before.exists ? before : stampOf(f.target);
  return true;
}

std::vector<std::size_t> Session::rereadChangedOnDisk() {
  std::vector<std::size_t> out;
  std::string reason;
  for (std::size_t i = 0; i < files_.size(); ++i) {
    File& f = files_[i];
    if (changed(i)) continue;
    const Stamp now = stampOf(f.target);
    if (now.exists == f.stamp.exists && now.size == f.stamp.size && now.time == f.stamp.time) continue;
    if (reread(f, reason)) out.push_back(i);
  }
  return out;
}

std::optional<std::string> Session::reload(std::size_t file) {
  std::string reason;
  if (!reread(files_[file], reason)) return platform::utf8Of(files_[file].target) + ": " + reason;
  return std::nullopt;
}

Reloaded Session::reloadKeepingEdits(std::size_t file) {
  Reloaded out;
  File& f = files_[file];
  const std::string before = f.saved(), after = f.current;
  std::string reason;
  if (!reread(f, reason)) {
    out.failed = platform::utf8Of(f.target) + ": " + reason;
    return out;
  }
  Remade remade = remakeChange(before, after, f.current);
  out.made = remade.made;
  out.dropped = remade.dropped;
  if (remade.made > 0) {
    f.keepSaved();
    f.current = std::move(remade.bytes);
  }
  return out;
}

void Session::takeDiskAsRead(std::size_t file) {
  File& f = files_[file];
  std::string bytes, reason;
  const Stamp now = stampOf(f.target);
  if (!now.exists || !platform::readRegularFile(f.target, bytes, reason, kLargestWeaponFile, kMsgFileTooLarge)) return;
  f.keepSaved();
  f.original = std::move(bytes);
  f.stamp = now;
}

Applied Session::apply(const std::vector<Change>& changes) {
  Applied out;
  // A file without unsaved edits that another program changed is read again:
  // the edit is made to the bytes on disk.
  out.reread = rereadChangedOnDisk();
  Step step;
  step.changes = changes;
  std::vector<std::size_t> fileOf;
  std::vector<std::optional<CopyPlace>> copies;  // a later file's commented copy, by change
  const auto refuse = [&](std::string why) {
    undo(step);
    out.refusal = std::move(why);
    return out;
  };
  for (const Change& c : changes) {
    if (auto refusal = c.rules ? c.rules->refusal(c) : checkChange(c)) return refuse(*refusal);
    std::optional<CopyPlace> copy;
    const auto file = c.rules ? locate(*c.rules, out) : locate(c.weapon, out, copy);
    if (!file) {
      out.notFound = out.refusal.empty();
      return refuse(out.notFound ? std::string("[").append(cp1252ToUtf8(c.weapon)).append("] is in no weapon file")
                                 : out.refusal);
    }
    std::vector<Splice> done;
    files_[*file].keepSaved();
    if (auto refusal =
            c.rules ? c.rules->apply(files_[*file].current, c, done) : applyChange(files_[*file].current, c, done))
      return refuse(*refusal + " (" + files_[*file].source->name() + ")");
    for (Splice& s : done) step.splices.push_back({*file, std::move(s)});
    fileOf.push_back(*file);
    copies.push_back(std::move(copy));
    if (files_[*file].current.size() > kLargestWeaponFile)
      return refuse(files_[*file].source->name() + " would grow to " + std::to_string(files_[*file].current.size()) +
                    " bytes, " + std::string(kMsgFileTooLarge) + ", which Quillmark could not read again");
  }
  for (std::size_t i = 0; i < changes.size(); ++i) {
    const Change& c = changes[i];
    const File& f = files_[fileOf[i]];
    if (c.rules) {
      auto found = c.kind == Change::Kind::Set ? c.rules->check(f.current, platform::utf8Of(f.target), c)
                                               : std::vector<Finding>();
      step.warnings.insert(step.warnings.end(), found.begin(), found.end());
      continue;
    }
    const std::string name = f.source->name();
    std::optional<CommentedCopy> copy = commentedCopy(f.current, c.weapon);
    std::string copyName = name;
    const auto live = findBlock(f.current, c.weapon);
    if (copies[i] && !copy && live) {
      copy = CommentedCopy{copies[i]->line, lineAt(f.current, live->begin)};
      copyName = copies[i]->file;
    }
    if (copy && copy->liveLine > 0) {
      const std::string weapon = "[" + cp1252ToUtf8(c.weapon) + "]";
      const std::string note = weapon + ": the last header, " + copyName + ":" + std::to_string(copy->copyLine) +
                               ", sits inside a /* */ comment, which the game skips; the block it reads, at " + name +
                               ":" + std::to_string(copy->liveLine) + ", is the one changed (" +
                               "Quillmark's list and Actual Mode show the commented copy)";
      if (std::find(step.notes.begin(), step.notes.end(), note) == step.notes.end()) step.notes.push_back(note);
      step.commentedCopy = weapon + " as Actual Mode shows it is a copy inside a /* */ comment (" + copyName + ":" +
                           std::to_string(copy->copyLine) + "), which the game skips; the block the game reads is at " +
                           name + ":" + std::to_string(copy->liveLine) + ": edit it there";
    }
    const auto line = c.kind == Change::Kind::Set ? keyLineOffset(f.current, c) : std::nullopt;
    if (!line) continue;
    if (auto note = readingNote(readKey(f.current, c.weapon, c.key), c.key)) step.notes.push_back(*note);
    auto found = checkEditedLines(f.current, platform::utf8Of(f.target), c.weapon, {*line}, census_);
    step.warnings.insert(step.warnings.end(), found.begin(), found.end());
  }
  out.step = std::move(step);
  return out;
}

void Session::undo(const Step& step) {
  for (auto it = step.splices.rbegin(); it != step.splices.rend(); ++it) {
    files_[it->file].keepSaved();
    undoSplice(files_[it->file].current, it->splice);
  }
}

void Session::redo(const Step& step) {
  for (const auto& s : step.splices) {
    files_[s.file].keepSaved();
    redoSplice(files_[s.file].current, s.splice);
  }
}

void Session::revert() {
  std::string reason;
  for (File& f : files_) {
    if (!f.unchanged) {
      f.current.swap(f.original);
      f.unchanged = true;
    }
    // Read again, in case another program changed it; what was read before
    // stays when it cannot be.
    reread(f, reason);
  }
}

bool Session::anyChanged() const {
  for (std::size_t f = 0; f < files_.size(); ++f)
    if (changed(f)) return true;
  return false;
}

std::vector<std::size_t> Session::changedFiles() const {
  std::vector<std::size_t> out;
  for (std::size_t f = 0; f < files_.size(); ++f)
    if (changed(f)) out.push_back(f);
  return out;
}

std::string Session::archiveNote(std::size_t file) const {
  return files_[file].source->name() + " lies in an archive, which Quillmark never writes: the change goes to " +
         platform::utf8Of(files_[file].target) + ", which the game reads before the archive";
}

std::string Session::diff(std::size_t file) const {
  const File& f = files_[file];
  const std::string target = platform::utf8Of(f.target);
  // Each hunk names the block it changes; the file of an archive not yet
  // written out is compared as the archive's file it came from.
  return unifiedDiff(isNew(file) ? f.source->name() : target, target, f.saved(), f.current,
                     [&f](std::size_t at) { return cp1252ToUtf8(blockHeaderAt(f.current, at)); });
}

std::optional<std::string> Session::changedSinceRead(const File& f) const {
  const std::string changedOnDisk = "changed on disk since Quillmark read it; nothing was written";
  const Stamp now = stampOf(f.target);
  // A file of an archive not yet written out: no loose file may have come.
  if (!f.stamp.exists) return now.exists ? std::optional<std::string>(changedOnDisk) : std::nullopt;
  if (!now.exists) return "is gone since Quillmark read it; nothing was written";
  if (now.size != f.stamp.size || now.time != f.stamp.time) return changedOnDisk;
  std::string reason;
  const auto same = holds(f.target, f.saved(), reason);
  if (!same) return reason;
  if (!*same) return changedOnDisk;
  return std::nullopt;
}

std::optional<std::string> Session::refusalToWrite(const File& f, bool breakLinks) const {
  if (f.current.size() > kLargestWeaponFile)
    return "would grow to " + std::to_string(f.current.size()) + " bytes, " + std::string(kMsgFileTooLarge) +
           " (Quillmark could not read it again); nothing was written";
  if (f.stamp.exists) {
    if (auto refusal = platform::replaceRefusal(f.target)) return *refusal + "; nothing was written";
    std::error_code ec;
    const auto links = fs::hard_link_count(platform::followLinks(f.target), ec);
    if (!ec && links > 1 && !breakLinks)
      return "has " + std::to_string(links) +
             " hard links (names of the same file), which a replace would leave with the old bytes; nothing was "
             "written (--break-links writes it anyway)";
  }
  return changedSinceRead(f);
}

Saved Session::save(bool backup, bool breakLinks) {
  Saved out;
  const auto changed = changedFiles();
  // Quillmark's edits of a folder take turns from the first look at its
  // files to the last replace, folders in one order so that no two wait on
  // each other.
  std::vector<fs::path> folders;
  for (std::size_t i : changed) {
    fs::path dir = platform::followLinks(files_[i].target).parent_path();
    folders.push_back(dir.empty() ? fs::path(".") : dir);
  }
  std::sort(folders.begin(), folders.end());
  folders.erase(std::unique(folders.begin(), folders.end()), folders.end());
  std::vector<std::unique_ptr<platform::FolderLock>> locks;
  for (const fs::path& dir : folders) locks.push_back(std::make_unique<platform::FolderLock>(dir));

  for (std::size_t i : changed)
    if (auto refusal = refusalToWrite(files_[i], breakLinks)) {
      out.refusal = platform::utf8Of(files_[i].target) + ": " + *refusal;
      out.changedOnDisk = refusal->starts_with("changed on disk") ? std::optional<std::size_t>(i) : std::nullopt;
      return out;
    }
  for (std::size_t i : changed) {
    File& f = files_[i];
    const std::string target = platform::utf8Of(f.target);
    std::error_code ec;
    if (backup && f.stamp.exists && !f.fromArchive) {
      fs::path bak = f.target;
      bak += ".bak";
      platform::ReplaceOptions like;
      like.likeFile = platform::followLinks(f.target);
      if (!fs::exists(bak, ec))
        if (auto failed = platform::replaceFile(bak, f.saved(), like)) {
          out.refusal = platform::utf8Of(bak) + ": " + *failed;
          return out;
        }
    }
    if (!f.stamp.exists) fs::create_directories(f.target.parent_path(), ec);
    platform::ReplaceOptions last;
    // Another program's change is caught up to the replace itself.
    last.lastCheck = [this, &f] { return changedSinceRead(f); };
    if (auto failed = platform::replaceFile(f.target, f.current, last)) {
      out.refusal = target + ": " + *failed;
      if (failed->starts_with("changed on disk")) out.changedOnDisk = i;
      return out;
    }
    f.unchanged = true;  // the bytes written are the saved ones from now on
    f.stamp = stampOf(f.target);
    out.written.push_back(i);
  }
  return out;
}

}  // namespace qm::edit
