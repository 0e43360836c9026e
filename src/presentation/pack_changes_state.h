// "Pack changes...": the game folder's loose files that override its
// archives, packed into a new archive in the game folder, and afterwards
// moved into a backup folder so that the game reads the packed copies.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "archive/archive_writer.h"
#include "catalogue/overrides.h"
#include "presentation/host.h"

namespace qm {

inline constexpr std::string_view kPackChangesTitle = "Pack changes";
inline constexpr std::string_view kPackSuggestedName = "changes.ufo";
inline constexpr std::string_view kBackupFolder = "backup";

class PackChangesState {
 public:
  // Reads the game's archives and finds its overrides.
  explicit PackChangesState(std::filesystem::path gameDir);
  // "Pack changes...": tells the user when no file is to be packed, else
  // asks for the archive (chooseArchive). Null when there is nothing to pack.
  static std::unique_ptr<PackChangesState> start(std::filesystem::path gameDir, Host& host);

  const std::vector<Override>& overrides() const { return overrides_; }

  // Asks for the archive through the save dialog (in the game folder, a
  // .ufo suggested). A name without an archive's extension gets .ufo; an
  // archive outside the game folder is refused, as the game would never
  // read it; one that exists is replaced only when the user says so. False
  // when no archive was chosen.
  bool chooseArchive(Host& host);
  const std::filesystem::path& archive() const { return archive_; }

  struct Row {
    std::string file;    // its path under the game folder (UTF-8)
    std::string source;  // the archive the game would read it from
    bool fromNew = false;
  };
  // One row per override: where the game reads it once the archive lies in
  // the folder and the loose copies are gone.
  std::vector<Row> rows() const;

  // Packs the overrides into the archive; `progress` may stop it.
  PackOutcome pack(const PackProgress& progress);
  // Packs, and tells the user how it went: a failure (nothing written); once
  // packed, asks whether to move the loose copies to the backup folder, and
  // moves them when the user says so. False when cancelled or failed.
  bool packAndTell(Host& host, const PackProgress& progress);

  // Moves each loose override to the backup folder under the game folder,
  // keeping its path; one that is there already stays where it is. The
  // failures, one a line; empty when all moved.
  std::string moveToBackup();

 private:
  std::filesystem::path gameDir_;
  std::optional<GameFiles> files_;
  std::vector<Override> overrides_;
  std::filesystem::path archive_;
};

// The question asked after a pack, and the message when there is nothing to pack.
std::string backupQuestion(std::size_t count);
inline constexpr std::string_view kMsgNoOverrides =
    "No loose file of the game folder overrides a file of its archives.";

}  // namespace qm
