// The overrides of a game: loose files under the game folder whose paths an
// archive of the game also holds (the files an edit of an archived weapon or
// unit writes), and where the game would read each once they are packed.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/game_files.h"

namespace qm {

struct Override {
  std::string inner;            // its path under the game folder, in Windows-1252, as on disk
  std::filesystem::path loose;  // the file
};

// The game's overrides, in name order (letter case ignored). Loose files are
// looked for only in the folders the archives' paths begin with.
std::vector<Override> gameOverrides(const GameFiles& files);

// The archive the game would read `inner` from once an archive named
// `archiveName` (a file name), holding it, lies in the game folder beside the
// others, and the loose copies are gone: the file name of the first in
// search order that holds it. An archive of that name already there is taken
// as replaced.
std::string readFrom(const GameFiles& files, std::string_view inner, std::string_view archiveName);

}  // namespace qm
