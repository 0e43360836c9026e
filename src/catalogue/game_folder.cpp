#include "catalogue/game_folder.h"

#include <array>
#include <system_error>

#include "text/text.h"

namespace qm {

namespace {

constexpr std::array<std::string_view, 5> kArchiveTypes = {".hpi", ".ufo", ".ccx", ".gp3", ".gpf"};

bool sameFolder(const std::filesystem::path& a, const std::filesystem::path& b) {
  std::error_code ec;
  return std::filesystem::equivalent(a, b, ec);
}

}  // namespace

bool holdsGame(const std::filesystem::path& dir) {
  std::error_code ec;
  for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    const std::filesystem::path& entry = it->path();
    std::error_code typeError;
    if (CompareFolded(entry.filename().string(), "weapons") == 0 && it->is_directory(typeError)) return true;
    if (!it->is_regular_file(typeError)) continue;
    const std::string extension = entry.extension().string();
    for (std::string_view type : kArchiveTypes)
      if (CompareFolded(extension, type) == 0) return true;
  }
  return false;
}

std::optional<std::filesystem::path> defaultGameFolder(const std::filesystem::path& programDir,
                                                       const std::optional<std::filesystem::path>& remembered) {
  if (holdsGame(programDir)) return programDir;
  if (remembered && holdsGame(*remembered)) return remembered;
  return std::nullopt;
}

std::string gameWindowTitle(std::string_view appTitle, const std::filesystem::path& gameDir,
                            const std::filesystem::path& programDir) {
  std::string title(appTitle);
  if (sameFolder(gameDir, programDir)) return title;
  // A path ending in a separator has an empty file name: use the folder's.
  std::filesystem::path name = gameDir.filename();
  if (name.empty()) name = gameDir.parent_path().filename();
  if (name.empty()) name = gameDir;
  return title + " - " + name.string();
}

std::string noGameMessage(const std::filesystem::path& dir) {
  return "\"" + dir.string() +
         "\" holds no game: it has no weapons folder and no game archive (.hpi, .ufo, .ccx, .gp3 or .gpf). "
         "Choose the folder the game is installed in.";
}

}  // namespace qm
