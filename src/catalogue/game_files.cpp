#include "catalogue/game_files.h"

#include <algorithm>
#include <optional>
#include <set>
#include <system_error>
#include <tuple>

#include "platform/path_text.h"
#include "text/text.h"

namespace qm {

namespace {

namespace fs = std::filesystem;

bool endsFolded(std::string_view name, std::string_view lowerEnd) {
  return name.size() >= lowerEnd.size() && matchesFoldedAt(name, name.size() - lowerEnd.size(), lowerEnd);
}

// The name of a file on disk in UTF-8.
std::string nameOnDisk(const fs::path& path) { return platform::utf8Of(path.filename()); }

// Names on disk that differ only in letter case stand for one file: the one in
// small letters (as the game writes its names), else the first in byte order.
// The one rule for every lookup and listing of loose files.
bool preferredName(const std::string& a, const std::string& b) {
  const bool aLower = toLowerUtf8(a) == a, bLower = toLowerUtf8(b) == b;
  return aLower != bLower ? aLower : a < b;
}

// The entry of `dir` whose name equals `name` with letter case ignored (the
// preferred one of several), else `dir`/`name`.
fs::path findFolded(const fs::path& dir, std::string_view name) {
  const std::string folded = toLowerUtf8(name);
  const fs::path given = dir / platform::pathOf(name);
  std::error_code ec;
  // A name in small letters that is there is preferred whatever else is;
  // unless the system finds names in any letter case (as Windows does), when
  // only the folder's list tells how it is written.
  if (folded == name && fs::exists(given, ec)) {
    std::string upper(name);
    for (char& c : upper)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (!fs::exists(dir / platform::pathOf(upper), ec)) return given;
  }
  fs::path best;
  std::string bestName;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    std::string entry = nameOnDisk(it->path());
    if (toLowerUtf8(entry) == folded && (best.empty() || preferredName(entry, bestName)))
      best = it->path(), bestName = std::move(entry);
  }
  return best.empty() ? given : best;
}

// Whether a loose file stands at `path`: anything but a folder (a pipe or a
// device there is named as unreadable rather than passed over).
bool looseFileAt(const fs::path& path) {
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  return fs::exists(status) && !fs::is_directory(status);
}

// `inner` ('/' between folders) under `dir`, each part found in any letter case.
fs::path findFoldedPath(fs::path dir, std::string_view inner) {
  for (std::size_t slash; (slash = inner.find('/')) != std::string_view::npos; inner.remove_prefix(slash + 1))
    if (slash > 0) dir = findFolded(dir, inner.substr(0, slash));
  return findFolded(dir, inner);
}

class MemberFile final : public WeaponFile {
 public:
  MemberFile(std::shared_ptr<const Archive> archive, std::string name, const ArchiveMember& member)
      : archive_(std::move(archive)), name_(std::move(name)), member_(member) {}
  const std::string& name() const override { return name_; }
  // The archive as this object opened it, and the member.
  std::string sourceKey() const override {
    return "member:" + std::to_string(reinterpret_cast<std::uintptr_t>(archive_.get())) + ":" + name_;
  }
  bool read(std::string& out, std::string& reason) const override {
    if (member_.size > kLargestWeaponFile) {
      out.clear();
      reason = kMsgFileTooLarge;
      return false;
    }
    return archive_->unpack(member_, out, reason);
  }
  std::string innerPath() const override { return member_.path; }

 private:
  std::shared_ptr<const Archive> archive_;
  std::string name_;
  ArchiveMember member_;
};

}  // namespace

fs::path loosePath(const fs::path& gameDir, std::string_view inner) { return findFoldedPath(gameDir, inner); }

std::vector<fs::path> standardFilePaths(const fs::path& gameDir) {
  const fs::path weapons = findFolded(gameDir, "weapons");
  std::vector<fs::path> out;
  for (std::string_view name : kStandardFiles) out.push_back(findFolded(weapons, name));
  return out;
}

WeaponFilePtr archiveMember(std::shared_ptr<const Archive> archive, const std::string& archiveName,
                            const ArchiveMember& member) {
  return std::make_shared<MemberFile>(std::move(archive), archiveName + "/" + member.path, member);
}

WeaponFilePtr namedWeaponFile(const std::string& name) {
  std::error_code ec;
  if (fs::exists(platform::pathOf(name), ec)) return looseFile(platform::pathOf(name));
  // The archive is the first part of the name that is a file.
  for (std::size_t cut = name.find_first_of("/\\"); cut != std::string::npos;
       cut = name.find_first_of("/\\", cut + 1)) {
    const std::string archivePath = name.substr(0, cut);
    if (cut == 0 || !fs::is_regular_file(platform::pathOf(archivePath), ec)) continue;
    std::string reason;
    const auto archive = Archive::open(platform::pathOf(archivePath), reason);
    if (!archive) return unreadableFile(name, reason);
    const ArchiveMember* member = archive->find(std::string_view(name).substr(cut + 1));
    return member ? archiveMember(archive, archivePath, *member) : nullptr;
  }
  return nullptr;
}

bool isArchiveName(std::string_view name) {
  // The extensions are plain ASCII: a byte-wise fold is right in any encoding.
  for (std::string_view extension : kArchiveExtensions)
    if (endsFolded(name, extension)) return true;
  return false;
}

std::vector<std::string> weaponFilesIn(const Archive& archive) {
  std::vector<std::string> inWeapons, others;
  for (const ArchiveMember& m : archive.members())
    if (endsFolded(m.path, ".tdf")) (matchesFoldedAt(m.path, 0, "weapons/") ? inWeapons : others).push_back(m.path);
  inWeapons.insert(inWeapons.end(), others.begin(), others.end());
  return inWeapons;
}

namespace {

// Where an archive of the file name `name` stands in the search: its
// extension's rank, its folded name, its name; nothing for another file.
std::optional<std::tuple<std::size_t, std::string, std::string>> searchKey(std::string name) {
  for (std::size_t rank = 0; rank < kArchiveExtensions.size(); ++rank)
    if (endsFolded(name, kArchiveExtensions[rank])) return std::make_tuple(rank, toLowerUtf8(name), std::move(name));
  return std::nullopt;
}

}  // namespace

bool searchedBefore(std::string_view a, std::string_view b) {
  return searchKey(std::string(a)) < searchKey(std::string(b));
}

GameFiles::GameFiles(fs::path gameDir) : gameDir_(std::move(gameDir)) {
  struct Found {
    std::tuple<std::size_t, std::string, std::string> key;
    fs::path path;
  };
  std::vector<Found> found;
  std::error_code ec;
  for (fs::directory_iterator it(gameDir_, ec), end; !ec && it != end; it.increment(ec)) {
    // Only regular files are archives: a folder or a pipe of such a name is passed over.
    if (!it->is_regular_file(ec)) continue;
    if (auto key = searchKey(nameOnDisk(it->path()))) found.push_back({std::move(*key), it->path()});
  }
  std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) { return a.key < b.key; });
  for (const Found& f : found) {
    std::string reason;
    if (auto archive = Archive::open(f.path, reason))
      archives_.push_back({platform::utf8Of(f.path), std::move(archive)});
    else
      damaged_.push_back({platform::utf8Of(f.path), reason});
  }
}

WeaponFilePtr GameFiles::find(std::string_view inner) const { return find(findFoldedPath(gameDir_, inner), inner); }

WeaponFilePtr GameFiles::find(const fs::path& loose, std::string_view inner) const {
  if (looseFileAt(loose)) return looseFile(loose);
  for (const Source& s : archives_)
    if (const ArchiveMember* m = s.archive->find(inner)) return archiveMember(s.archive, s.name, *m);
  return nullptr;
}

std::vector<WeaponFilePtr> GameFiles::standardFiles() const {
  std::vector<WeaponFilePtr> out;
  const auto paths = standardFilePaths(gameDir_);
  for (std::size_t i = 0; i < kStandardFiles.size(); ++i) {
    WeaponFilePtr file = find(paths[i], "weapons/" + std::string(kStandardFiles[i]));
    out.push_back(file ? file : looseFile(paths[i]));
  }
  return out;
}

std::vector<WeaponFilePtr> GameFiles::listFiles(bool allWeaponFiles) const {
  if (!allWeaponFiles) return standardFiles();
  std::vector<WeaponFilePtr> files;
  for (WeaponFilePtr& file : filesIn("weapons", ".tdf")) {
    const std::string& name = file->name();
    const std::size_t slash = name.find_last_of("/\\");
    if (name[slash == std::string::npos ? 0 : slash + 1] != '.') files.push_back(std::move(file));
  }
  return files;
}

std::vector<WeaponFilePtr> GameFiles::filesIn(std::string_view folder, std::string_view extension) const {
  const std::string lowerExtension = toLower(extension);
  struct Loose {
    std::string folded, name;
    fs::path path;
  };
  std::vector<Loose> loose;
  std::error_code ec;
  for (fs::directory_iterator it(findFoldedPath(gameDir_, folder), ec), end; !ec && it != end; it.increment(ec)) {
    std::string name = nameOnDisk(it->path());
    if (endsFolded(name, lowerExtension) && looseFileAt(it->path()))
      loose.push_back({toLowerUtf8(name), std::move(name), it->path()});
  }
  std::sort(loose.begin(), loose.end(), [](const Loose& a, const Loose& b) {
    return a.folded != b.folded ? a.folded < b.folded : preferredName(a.name, b.name);
  });
  // Names compared as folded UTF-8: those on disk are UTF-8, those inside
  // archives Windows-1252.
  std::vector<WeaponFilePtr> out;
  std::set<std::string> seen;
  for (const Loose& f : loose)
    if (seen.insert(f.folded).second) out.push_back(looseFile(f.path));
  const std::string prefix = toLower(folder) + "/";
  for (const Source& s : archives_)
    for (const ArchiveMember& m : s.archive->members()) {
      const std::string folded = toLower(m.path);
      if (folded.compare(0, prefix.size(), prefix) == 0 && folded.find('/', prefix.size()) == std::string::npos &&
          endsFolded(folded, lowerExtension) &&
          seen.insert(toLowerUtf8(cp1252ToUtf8(folded.substr(prefix.size())))).second)
        out.push_back(archiveMember(s.archive, s.name, m));
    }
  return out;
}

}  // namespace qm
