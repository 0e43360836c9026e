// Where the game's weapon files are: loose under the game folder, or inside
// the archives that lie in it.
#pragma once

#include <array>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "archive/archive.h"
#include "catalogue/weapon_file.h"

namespace qm {

// The eight standard weapon files, in search order, under the game's
// "weapons" folder.
inline constexpr std::array<std::string_view, 8> kStandardFiles = {
    "cannons.tdf", "fires.tdf", "lasers.tdf", "meteors.tdf", "missiles.tdf", "rockets.tdf", "units.tdf", "weapons.tdf",
};

// The eight standard files under `gameDir`, in search order. Copies of the
// game made on Windows often read WEAPONS/CANNONS.TDF, so the folder and the
// files are found in any letter case (names on disk folded as UTF-8). Of
// names that differ only in letter case the one in small letters is taken,
// else the first in byte order: the same rule as FilesIn's.
std::vector<std::filesystem::path> standardFilePaths(const std::filesystem::path& gameDir);

// The loose file of the game at `inner` ('/' between folders): each part
// that exists in any letter case as found, the rest as written. A loose file
// there is read before every archive.
std::filesystem::path loosePath(const std::filesystem::path& gameDir, std::string_view inner);

// A file inside an archive, named `archiveName` + "/" + its path inside.
WeaponFilePtr archiveMember(std::shared_ptr<const Archive> archive, const std::string& archiveName,
                            const ArchiveMember& member);

// The weapon file a name stands for: a path on disk, or the path of an
// archive, a slash and a path inside it (letter case of the inner path
// ignored). Null when no file is there. A file in an archive that cannot be
// opened gives a file whose read fails with the archive's reason.
WeaponFilePtr namedWeaponFile(const std::string& name);

// Whether `name` ends in one of kArchiveExtensions, letter case ignored.
bool isArchiveName(std::string_view name);

// The .tdf files of an archive, as paths inside it: those under its weapons
// folder first, each group in the archive's order.
std::vector<std::string> weaponFilesIn(const Archive& archive);

// Whether the archive named `a` (a file name in the game folder) is searched
// before the one named `b`: by extension in kArchiveExtensions order, then by
// name with letter case folded.
bool searchedBefore(std::string_view a, std::string_view b);

// The game's file set: the loose files under the game folder, then the
// archives lying directly in it, by extension in kArchiveExtensions order and
// within one extension by file name (letter case folded). A path inside the
// game is taken from the first of them that holds it.
class GameFiles {
 public:
  // Lists the archives and reads their directories; a damaged archive is
  // kept aside and the others are used as if it were not there.
  explicit GameFiles(std::filesystem::path gameDir);

  // The file at `inner` ('/' between folders, letter case ignored) from the
  // first source that holds it; null when none does. A loose folder of that
  // name is no file: the archives are searched.
  WeaponFilePtr find(std::string_view inner) const;
  // The eight standard files in search order. One that no source holds is
  // its loose path, whose reading fails as a missing file.
  std::vector<WeaponFilePtr> standardFiles() const;
  // The weapon files the list reads: the eight standard ones, or on request
  // every .tdf file directly in the weapons folder (loose ones by name, then
  // those of each archive), hidden files left out, as the game reads them.
  std::vector<WeaponFilePtr> listFiles(bool allWeaponFiles) const;
  // The files directly in the folder `folder` of the game whose names end in
  // `extension` (letter case ignored): the loose ones by name (folded as
  // UTF-8), then those of each archive in its order, each path from the first
  // source that holds it. Sub-folders, loose or archived, are not entered.
  std::vector<WeaponFilePtr> filesIn(std::string_view folder, std::string_view extension) const;

  // The archives that could not be read, with why.
  const std::vector<UnreadableFile>& damagedArchives() const { return damaged_; }

  struct Source {
    std::string name;  // its path
    std::shared_ptr<const Archive> archive;
  };
  // The archives read, in search order.
  const std::vector<Source>& archives() const { return archives_; }
  const std::filesystem::path& gameDir() const { return gameDir_; }

 private:
  // The loose file `loose` (`inner` as found under the game folder) if it
  // exists, else `inner` from the first archive that holds it.
  WeaponFilePtr find(const std::filesystem::path& loose, std::string_view inner) const;

  std::filesystem::path gameDir_;
  std::vector<Source> archives_;
  std::vector<UnreadableFile> damaged_;
};

}  // namespace qm
